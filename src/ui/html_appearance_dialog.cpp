#include "ui/html_appearance_dialog.h"

#include <QShortcut>

#include "ui/form_helpers.h"
#include "ui/up_down_edit.h"
#include "ui_html_appearance_dialog.h"
#include "widgets/dialog_buttons.h"
#include "widgets/help.h"

namespace vig::ui {

CHtmlAppearanceDialog::CHtmlAppearanceDialog(options::HtmlOptions& html, QWidget* parent)
    : QDialog(parent), html_(html), ui_(std::make_unique<Ui::CHtmlAppearanceDialog>()) {
    ui_->setupUi(this);
    widgets::PlainDialogButtons(ui_->buttons);
    widgets::WidenButtons(this);
    using H = options::HtmlOptions;
    fields_ = {{Bound::Colour, ui_->textColour, &H::HTMLTextColor},
               {Bound::Colour, ui_->backColour, &H::HTMLBackColor},
               {Bound::Colour, ui_->linkColour, &H::HTMLLinkColor},
               {Bound::Colour, ui_->vlinkColour, &H::HTMLVLinkColor},
               {Bound::Ranged, ui_->textSize, &H::HTMLTextSize, -2, 2},
               {Bound::Ranged, ui_->border, &H::HTMLBorderWidth, 0, 100},
               {Bound::Ranged, ui_->imageBorder, &H::HTMLImageBorder, 0, 100},
               {Bound::Ranged, ui_->vspace, &H::HTMLImageVSpace, 0, 100},
               {Bound::Ranged, ui_->hspace, &H::HTMLImageHSpace, 0, 100}};
    ui_->textSize->setArrowRange(-2, 2);
    for (CUpDownEdit* edit : {ui_->border, ui_->imageBorder, ui_->vspace, ui_->hspace})
        edit->setArrowRange(0, 100);
    fields_.Show(html_);
    const auto help = [] { widgets::ShowHelpTopic(kHelpTopic); };
    connect(ui_->buttons, &QDialogButtonBox::helpRequested, this, help);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, help);
}

CHtmlAppearanceDialog::~CHtmlAppearanceDialog() = default;

void CHtmlAppearanceDialog::accept() {
    if (fields_.Read(this, html_)) QDialog::accept();
}

}  // namespace vig::ui
