#include "ui/html_text_dialog.h"

#include <QPushButton>
#include <QShortcut>
#include <QTextCursor>

#include "ui/form_helpers.h"
#include "ui/sheet_texts.h"
#include "ui_html_text_dialog.h"
#include "widgets/dialog_buttons.h"
#include "widgets/help.h"

namespace vig::ui {

CHtmlTextDialog::CHtmlTextDialog(bool footer, const HtmlInclude& include, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CHtmlTextDialog>()) {
    ui_->setupUi(this);
    widgets::PlainDialogButtons(ui_->buttons);
    widgets::WidenButtons(this);
    setWindowTitle(texts::Tr(footer ? texts::kHtmlFooterTitle : texts::kHtmlHeaderTitle));
    ui_->text->setPlainText(QString::fromStdString(include.text));
    ui_->path->setText(QString::fromStdString(include.path));
    (include.useFile == 1 ? ui_->useFile : ui_->useText)->setChecked(true);
    UpdateRules();

    connect(ui_->useText, &QAbstractButton::toggled, this, &CHtmlTextDialog::UpdateRules);
    connect(ui_->text->document(), &QTextDocument::contentsChange, this,
            &CHtmlTextDialog::LimitText);
    connect(ui_->browse, &QAbstractButton::clicked, this, [this] {
        const QString path = ChooseOpenFile(this, texts::kIncludeDialogTitle, ui_->path->text(),
                                            texts::kAllFilesDialogFilter);
        if (!path.isEmpty()) ui_->path->setText(path);
    });
    const auto help = [] { widgets::ShowHelpTopic(kHelpTopic); };
    connect(ui_->buttons, &QDialogButtonBox::helpRequested, this, help);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, help);
}

CHtmlTextDialog::~CHtmlTextDialog() = default;

HtmlInclude CHtmlTextDialog::include() const {
    return {ui_->text->toPlainText().toStdString(), ui_->path->text().toStdString(),
            ui_->useFile->isChecked() ? 1 : 0};
}

void CHtmlTextDialog::UpdateRules() {
    const bool text = ui_->useText->isChecked();
    ui_->prompt->setEnabled(text);
    ui_->text->setEnabled(text);
    ui_->path->setEnabled(!text);
    ui_->browse->setEnabled(!text);
}

// Typing and pasting stop at 255 characters; a longer stored text is shown
// whole and can only get shorter.
void CHtmlTextDialog::LimitText(int position, int /*removed*/, int added) {
    QTextDocument* doc = ui_->text->document();
    const int length = doc->characterCount() - 1;
    const int excess = length - texts::kHeaderMaxChars;
    if (added <= 0 || excess <= 0) return;
    const int cut = std::min(excess, added);
    QTextCursor cursor(doc);
    cursor.setPosition(position + added - cut);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    const QSignalBlocker blocker(doc);
    cursor.removeSelectedText();
}

}  // namespace vig::ui
