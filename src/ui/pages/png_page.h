// Page 3, "PNG": gamma values, background colour and the text fields.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class CPNGPage;
}

namespace vig::ui {

class CPNGPage : public CFormPage<Ui::CPNGPage> {
    Q_OBJECT
public:
    static constexpr int kMaxKeyLength = 79;

    explicit CPNGPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CPNGPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
};

}  // namespace vig::ui
