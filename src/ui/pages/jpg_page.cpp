#include "ui/pages/jpg_page.h"

#include "ui/sheet_texts.h"
#include "ui_jpg_page.h"

namespace vig::ui {
namespace {

constexpr int kMinQuality = 1;
constexpr int kMaxQuality = 100;

}  // namespace

CJPGPage::CJPGPage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kJpgPageTitle, widgets::HelpTopic::Jpeg, parent) {
    ui_->quality->setArrowRange(kMinQuality, kMaxQuality);
}

CJPGPage::~CJPGPage() = default;

void CJPGPage::ShowOptions() {
    ui_->quality->setValue(options_.JPGQuality);
    ShowFlag(ui_->draftDecode, options_.JPGDraftDecode);
}

bool CJPGPage::LeavePage() {
    if (!ReadRanged(ui_->quality, kMinQuality, kMaxQuality, &options_.JPGQuality)) return false;
    options_.JPGDraftDecode = ReadFlag(ui_->draftDecode);
    return true;
}

}  // namespace vig::ui
