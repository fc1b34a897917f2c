// Page 9, "Composite": contact sheets of the thumbnails of a folder.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class CCompositePage;
}

namespace vig::ui {

class CCompositePage : public COptionsPage {
    Q_OBJECT
public:
    explicit CCompositePage(BatchOptions& options, QWidget* parent = nullptr);
    ~CCompositePage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::CCompositePage& ui() { return *ui_; }

private:
    void UpdateRules();
    void ShowFont();
    void ChooseLabelFont();

    std::unique_ptr<Ui::CCompositePage> ui_;
};

}  // namespace vig::ui
