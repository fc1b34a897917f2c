// Page 3, "PNG": gamma values, background colour and the text fields.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class CPNGPage;
}

namespace vig::ui {

class CPNGPage : public COptionsPage {
    Q_OBJECT
public:
    static constexpr int kMaxKeyLength = 79;

    explicit CPNGPage(BatchOptions& options, QWidget* parent = nullptr);
    ~CPNGPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::CPNGPage& ui() { return *ui_; }

private:
    void UpdateRules();

    std::unique_ptr<Ui::CPNGPage> ui_;
};

}  // namespace vig::ui
