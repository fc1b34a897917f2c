#include "ui/pages/jpg_page.h"

#include "ui/sheet_texts.h"
#include "ui_jpg_page.h"

namespace vig::ui {
namespace {

constexpr int kMinQuality = 1;
constexpr int kMaxQuality = 100;

}  // namespace

CJPGPage::CJPGPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kJpgPageTitle, widgets::HelpTopic::Jpeg, parent) {
    ui_->quality->setArrowRange(kMinQuality, kMaxQuality);
    Bind({{Bound::Ranged, ui_->quality, &options::BatchOptions::JPGQuality, kMinQuality,
           kMaxQuality},
          {Bound::Flag, ui_->draftDecode, &options::BatchOptions::JPGDraftDecode}});
}

CJPGPage::~CJPGPage() = default;

void CJPGPage::ShowOptions() {
    ShowFields();
}

bool CJPGPage::LeavePage() {
    return ReadFields();
}

}  // namespace vig::ui
