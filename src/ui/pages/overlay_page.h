// Page 6, "Overlay Image": the overlay file, its position, rotation,
// posterizing, size, transparency and opacity, with a preview from which
// the transparent colour can be picked.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class COverlayPage;
}

namespace vig::ui {

class COverlayPage : public CFormPage<Ui::COverlayPage> {
    Q_OBJECT
public:
    static constexpr int kMinColours = 2;
    static constexpr int kMaxColours = 32;

    explicit COverlayPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~COverlayPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
    void LoadPreview();
    void ShowPreviewStatus();
    void UpdatePosterize();
    void OnColourCountFinished();

    int shownOpacity_ = -1;  // the slider position the stored opacity gave
};

}  // namespace vig::ui
