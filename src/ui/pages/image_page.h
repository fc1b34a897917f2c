// Page 5, "Image": matte, tone curve, sharpening and the reduction kind.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class CImagePage;
}

namespace vig::ui {

class CImagePage : public CFormPage<Ui::CImagePage> {
    Q_OBJECT
public:
    explicit CImagePage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CImagePage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
};

}  // namespace vig::ui
