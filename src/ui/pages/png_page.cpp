#include "ui/pages/png_page.h"

#include "ui/sheet_texts.h"
#include "ui_png_page.h"

namespace vig::ui {

CPNGPage::CPNGPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kPngPageTitle, widgets::HelpTopic::Png, parent) {
    using B = options::BatchOptions;
    Bind({{Bound::Real, ui_->screenGamma, &B::PNGScreenGamma},
          {Bound::Real, ui_->fileGamma, &B::PNGFileGamma},
          {Bound::Colour, ui_->background, &B::PNGBkColor},
          {Bound::Flag, ui_->copyText, &B::PNGCopyPNGText},
          {Bound::PlainText, ui_->text, &B::PNGText},
          {Bound::Flag, ui_->compressText, &B::PNGCompressPNGText}});
    connect(ui_->key, &QLineEdit::textChanged, this, &CPNGPage::UpdateRules);
}

CPNGPage::~CPNGPage() = default;

void CPNGPage::ShowOptions() {
    ShowFields();
    // A longer stored key is shown whole and refused on leaving rather than
    // cut without a word.
    const QString key = QString::fromStdString(options_.PNGKey);
    ui_->key->setMaxLength(key.size() <= kMaxKeyLength ? kMaxKeyLength : 32767);
    ui_->key->setText(key);
    UpdateRules();
}

void CPNGPage::UpdateRules() {
    ui_->text->setEnabled(!ui_->key->text().isEmpty());
}

bool CPNGPage::LeavePage() {
    if (!CheckFields()) return false;
    if (ui_->key->text().size() > kMaxKeyLength) {
        Refuse(this, ui_->key, texts::Tr(texts::kEnterNoMoreThan).arg(kMaxKeyLength));
        return false;
    }
    options_.PNGKey = ui_->key->text().toStdString();
    return ReadFields();
}

}  // namespace vig::ui
