#include "ui/pages/image_page.h"

#include "ui/sheet_texts.h"
#include "ui_image_page.h"

namespace vig::ui {

CImagePage::CImagePage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kImagePageTitle, widgets::HelpTopic::Image, parent) {
    using B = options::BatchOptions;
    Bind({{Bound::Flag, ui_->matte, &B::ImageMatte},
          {Bound::Colour, ui_->matteColour, &B::ImageMatteColor},
          {Bound::Choice,
           nullptr,
           &B::ImageEnhanceType,
           0,
           0,
           {{ui_->enhanceNone, options::EnhanceNone},
            {ui_->enhanceRaiseContrast, options::RaiseContrast},
            {ui_->enhanceLineArt, options::LineArtContrast},
            {ui_->enhanceLighten, options::LightenMidtones},
            {ui_->enhanceDarken, options::DarkenMidtones},
            {ui_->enhanceUserLut, options::UserLut}}},
          {Bound::Text, ui_->lutPath, &B::ImageUserLUTPath},
          {Bound::Flag, ui_->sharpen, &B::ImageSharpen},
          {Bound::Number, ui_->level, &B::ImageSharpenLevel},
          {Bound::Flag, ui_->bilinear, &B::ImageBilinear},
          {Bound::Flag, ui_->autoOrient, &B::ImageAutoOrient},
          {Bound::Flag, ui_->colourManage, &B::ImageColourManage}});
    UpdateRulesOnToggle({ui_->enhanceUserLut});
    connect(ui_->lutBrowse, &QAbstractButton::clicked, this, [this] {
        const QString path = ChooseOpenFile(this, texts::kLutDialogTitle, ui_->lutPath->text(),
                                            texts::kAllFilesDialogFilter);
        if (!path.isEmpty()) ui_->lutPath->setText(path);
    });
}

CImagePage::~CImagePage() = default;

void CImagePage::ShowOptions() {
    ShowFields();
    UpdateRules();
}

void CImagePage::UpdateRules() {
    const bool userLut = ui_->enhanceUserLut->isChecked();
    ui_->lutPath->setEnabled(userLut);
    ui_->lutBrowse->setEnabled(userLut);
}

bool CImagePage::LeavePage() {
    return ReadFields();
}

}  // namespace vig::ui
