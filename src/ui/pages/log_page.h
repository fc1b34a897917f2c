// Page 7, "Log": the batch log file and the items written to it.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class CLogPage;
}

namespace vig::ui {

class CLogPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CLogPage(BatchOptions& options, QWidget* parent = nullptr);
    ~CLogPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::CLogPage& ui() { return *ui_; }

private:
    void UpdateRules();

    std::unique_ptr<Ui::CLogPage> ui_;
};

}  // namespace vig::ui
