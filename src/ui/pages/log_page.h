// Page 7, "Log": the batch log file and the items written to it.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class CLogPage;
}

namespace vig::ui {

class CLogPage : public CFormPage<Ui::CLogPage> {
    Q_OBJECT
public:
    explicit CLogPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CLogPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
};

}  // namespace vig::ui
