#include "ui/pages/png_page.h"

#include "ui/sheet_texts.h"
#include "ui_png_page.h"

namespace vig::ui {

CPNGPage::CPNGPage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kPngPageTitle, widgets::HelpTopic::Png, parent) {
    connect(ui_->key, &QLineEdit::textChanged, this, &CPNGPage::UpdateRules);
}

CPNGPage::~CPNGPage() = default;

void CPNGPage::ShowOptions() {
    const BatchOptions& o = options_;
    ShowReal(ui_->screenGamma, o.PNGScreenGamma);
    ShowReal(ui_->fileGamma, o.PNGFileGamma);
    ui_->background->setColour(o.PNGBkColor);
    ShowFlag(ui_->copyText, o.PNGCopyPNGText);
    // A longer stored key is shown whole and refused on leaving rather than
    // cut without a word.
    const QString key = QString::fromStdString(o.PNGKey);
    ui_->key->setMaxLength(key.size() <= kMaxKeyLength ? kMaxKeyLength : 32767);
    ui_->key->setText(key);
    ui_->text->setPlainText(QString::fromStdString(o.PNGText));
    ShowFlag(ui_->compressText, o.PNGCompressPNGText);
    UpdateRules();
}

void CPNGPage::UpdateRules() {
    ui_->text->setEnabled(!ui_->key->text().isEmpty());
}

bool CPNGPage::LeavePage() {
    BatchOptions& o = options_;
    double screen = 0, file = 0;
    if (!ReadReal(ui_->screenGamma, &screen) || !ReadReal(ui_->fileGamma, &file)) return false;
    if (ui_->key->text().size() > kMaxKeyLength) {
        Refuse(this, ui_->key, texts::Tr(texts::kEnterNoMoreThan).arg(kMaxKeyLength));
        return false;
    }
    o.PNGScreenGamma = screen;
    o.PNGFileGamma = file;
    o.PNGBkColor = ui_->background->colour();
    o.PNGCopyPNGText = ReadFlag(ui_->copyText);
    o.PNGKey = ui_->key->text().toStdString();
    o.PNGText = ui_->text->toPlainText().toStdString();
    o.PNGCompressPNGText = ReadFlag(ui_->compressText);
    return true;
}

}  // namespace vig::ui
