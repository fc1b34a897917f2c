// Page 8, "HTML Log Files": the gallery pages, with the header, footer and
// appearance dialogs.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class CHTMLPage;
}

namespace vig::ui {

class CHTMLPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CHTMLPage(BatchOptions& options, QWidget* parent = nullptr);
    ~CHTMLPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::CHTMLPage& ui() { return *ui_; }

private:
    void UpdateRules();
    void EditInclude(bool footer);
    RadioCodes SourcePageButtons() const;

    std::unique_ptr<Ui::CHTMLPage> ui_;
};

}  // namespace vig::ui
