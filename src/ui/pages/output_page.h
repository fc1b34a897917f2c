// Page 1, "File/Dir Options": output names, letter case, input filters,
// the date filter, output folders and sorting.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class COutputPage;
}

namespace vig::ui {

class COutputPage : public CFormPage<Ui::COutputPage> {
    Q_OBJECT
public:
    explicit COutputPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~COutputPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
    void OnExtraTextEdited();
};

}  // namespace vig::ui
