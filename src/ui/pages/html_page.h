// Page 8, "HTML Log Files": the gallery pages, with the header, footer and
// appearance dialogs.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class CHTMLPage;
}

namespace vig::ui {

class CHTMLPage : public CFormPage<Ui::CHTMLPage> {
    Q_OBJECT
public:
    explicit CHTMLPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CHTMLPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
    void EditInclude(bool footer);
};

}  // namespace vig::ui
