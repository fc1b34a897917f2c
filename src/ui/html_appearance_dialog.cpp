#include "ui/html_appearance_dialog.h"

#include <QShortcut>

#include "ui/pages/options_page.h"
#include "ui/up_down_edit.h"
#include "ui_html_appearance_dialog.h"
#include "widgets/dialog_buttons.h"
#include "widgets/help.h"

namespace vig::ui {

CHtmlAppearanceDialog::CHtmlAppearanceDialog(HtmlOptions& html, QWidget* parent)
    : QDialog(parent), html_(html), ui_(std::make_unique<Ui::CHtmlAppearanceDialog>()) {
    ui_->setupUi(this);
    widgets::PlainDialogButtons(ui_->buttons);
    ui_->textColour->setColour(html_.HTMLTextColor);
    ui_->backColour->setColour(html_.HTMLBackColor);
    ui_->linkColour->setColour(html_.HTMLLinkColor);
    ui_->vlinkColour->setColour(html_.HTMLVLinkColor);
    sizes_ = {{ui_->textSize, &HtmlOptions::HTMLTextSize, -2, 2},
              {ui_->border, &HtmlOptions::HTMLBorderWidth, 0, 100},
              {ui_->imageBorder, &HtmlOptions::HTMLImageBorder, 0, 100},
              {ui_->vspace, &HtmlOptions::HTMLImageVSpace, 0, 100},
              {ui_->hspace, &HtmlOptions::HTMLImageHSpace, 0, 100}};
    for (const SizeField& s : sizes_) {
        s.edit->setArrowRange(s.minimum, s.maximum);
        s.edit->setValue(html_.*s.field);
    }
    const auto help = [] { widgets::ShowHelpTopic(kHelpTopic); };
    connect(ui_->buttons, &QDialogButtonBox::helpRequested, this, help);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, help);
}

CHtmlAppearanceDialog::~CHtmlAppearanceDialog() = default;

void CHtmlAppearanceDialog::accept() {
    std::vector<int> values;
    for (const SizeField& s : sizes_) {
        int v = 0;
        if (!ReadRangedValue(this, s.edit, s.minimum, s.maximum, &v)) return;
        values.push_back(v);
    }
    html_.HTMLTextColor = ui_->textColour->colour();
    html_.HTMLBackColor = ui_->backColour->colour();
    html_.HTMLLinkColor = ui_->linkColour->colour();
    html_.HTMLVLinkColor = ui_->vlinkColour->colour();
    for (size_t k = 0; k < sizes_.size(); ++k) html_.*sizes_[k].field = values[k];
    QDialog::accept();
}

}  // namespace vig::ui
