// Page 1, "File/Dir Options": output names, letter case, input filters,
// the date filter, output folders and sorting.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class COutputPage;
}

namespace vig::ui {

class COutputPage : public COptionsPage {
    Q_OBJECT
public:
    explicit COutputPage(BatchOptions& options, QWidget* parent = nullptr);
    ~COutputPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::COutputPage& ui() { return *ui_; }

private:
    void UpdateRules();
    void OnExtraTextEdited();
    RadioCodes RenameButtons() const;

    std::unique_ptr<Ui::COutputPage> ui_;
};

}  // namespace vig::ui
