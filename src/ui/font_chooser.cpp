#include "ui/font_chooser.h"

#include "ui/colour_swatch.h"
#include "ui/sheet_texts.h"
#include "ui_font_chooser.h"
#include "widgets/dialog_buttons.h"

namespace vig::ui {
namespace {

FontChooserFunction& InstalledChooser() {
    static FontChooserFunction chooser;
    return chooser;
}

}  // namespace

CFontChooser::CFontChooser(const FontChoice& initial, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CFontChooser>()) {
    ui_->setupUi(this);
    widgets::PlainDialogButtons(ui_->buttons);
    widgets::WidenButtons(this);
    // The face is kept as written even when this system has no such font
    // (the labels then use the closest one).
    ui_->face->setEditText(initial.face);
    ui_->size->setValue(initial.pointSize);
    ui_->colour->setColour(initial.colour);
    connect(ui_->face, &QComboBox::currentTextChanged, this, &CFontChooser::UpdateSample);
    connect(ui_->size, &QSpinBox::valueChanged, this, &CFontChooser::UpdateSample);
    connect(ui_->colour, &CColourSwatch::colourChanged, this, &CFontChooser::UpdateSample);
    UpdateSample();
}

CFontChooser::~CFontChooser() = default;

FontChoice CFontChooser::choice() const {
    return {ui_->face->currentText().trimmed(), ui_->size->value(), ui_->colour->colour()};
}

void CFontChooser::UpdateSample() {
    const FontChoice c = choice();
    QFont font(c.face);
    font.setPointSize(c.pointSize);
    ui_->sample->setFont(font);
    QPalette pal = ui_->sample->palette();
    pal.setColor(QPalette::WindowText, ToQColor(c.colour));
    ui_->sample->setPalette(pal);
}

void SetFontChooser(FontChooserFunction chooser) {
    InstalledChooser() = std::move(chooser);
}

bool ChooseFont(QWidget* parent, FontChoice* choice) {
    if (InstalledChooser()) return InstalledChooser()(parent, choice);
    CFontChooser dialog(*choice, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    FontChoice chosen = dialog.choice();
    if (chosen.face.isEmpty()) chosen.face = choice->face;
    *choice = chosen;
    return true;
}

}  // namespace vig::ui
