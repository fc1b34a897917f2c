// The HTML Appearance dialog: the pages' colours, text size, borders and
// image spacing.
#pragma once

#include <QDialog>
#include <memory>

#include "options/batch_options.h"
#include "ui/form_helpers.h"
#include "widgets/help.h"

namespace Ui {
class CHtmlAppearanceDialog;
}

namespace vig::ui {

class CHtmlAppearanceDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr widgets::HelpTopic kHelpTopic = widgets::HelpTopic::HtmlAppearance;

    // Shows the values of `html`, and writes them back into it on OK.
    CHtmlAppearanceDialog(options::HtmlOptions& html, QWidget* parent = nullptr);
    ~CHtmlAppearanceDialog() override;

    void accept() override;
    Ui::CHtmlAppearanceDialog& ui() { return *ui_; }

private:
    options::HtmlOptions& html_;
    std::unique_ptr<Ui::CHtmlAppearanceDialog> ui_;
    FormBindings<options::HtmlOptions> fields_;
};

}  // namespace vig::ui
