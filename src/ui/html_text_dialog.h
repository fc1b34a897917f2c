// The HTML Header and HTML Footer dialog: a text (which may hold HTML) or a
// file whose contents the pages include.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "widgets/help.h"

namespace Ui {
class CHtmlTextDialog;
}

namespace vig::ui {

struct HtmlInclude {
    std::string text;
    std::string path;
    int useFile = 0;  // 1: the file, 0: the text
};

class CHtmlTextDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr widgets::HelpTopic kHelpTopic = widgets::HelpTopic::HtmlHeaderFooter;

    // `footer` chooses the title.
    CHtmlTextDialog(bool footer, const HtmlInclude& include, QWidget* parent = nullptr);
    ~CHtmlTextDialog() override;

    HtmlInclude include() const;
    Ui::CHtmlTextDialog& ui() { return *ui_; }

private:
    void UpdateRules();
    void LimitText(int position, int removed, int added);

    std::unique_ptr<Ui::CHtmlTextDialog> ui_;
};

}  // namespace vig::ui
