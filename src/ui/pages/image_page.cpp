#include "ui/pages/image_page.h"

#include "ui/sheet_texts.h"
#include "ui_image_page.h"

namespace vig::ui {

CImagePage::CImagePage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kImagePageTitle, widgets::HelpTopic::Image, parent) {
    UpdateRulesOnToggle({ui_->enhanceUserLut});
    connect(ui_->lutBrowse, &QAbstractButton::clicked, this, [this] {
        const QString path = ChooseOpenFile(this, texts::kLutDialogTitle, ui_->lutPath->text(),
                                            texts::kAllFilesDialogFilter);
        if (!path.isEmpty()) ui_->lutPath->setText(path);
    });
}

CImagePage::~CImagePage() = default;

RadioCodes CImagePage::EnhanceButtons() const {
    return {{ui_->enhanceNone, EnhanceNone},        {ui_->enhanceRaiseContrast, RaiseContrast},
            {ui_->enhanceLineArt, LineArtContrast}, {ui_->enhanceLighten, LightenMidtones},
            {ui_->enhanceDarken, DarkenMidtones},   {ui_->enhanceUserLut, UserLut}};
}

void CImagePage::ShowOptions() {
    const BatchOptions& o = options_;
    ShowFlag(ui_->matte, o.ImageMatte);
    ui_->matteColour->setColour(o.ImageMatteColor);
    ShowChoice(EnhanceButtons(), o.ImageEnhanceType);
    ui_->lutPath->setText(QString::fromStdString(o.ImageUserLUTPath));
    ShowFlag(ui_->sharpen, o.ImageSharpen);
    ui_->level->setValue(o.ImageSharpenLevel);
    ShowFlag(ui_->bilinear, o.ImageBilinear);
    ShowFlag(ui_->autoOrient, o.ImageAutoOrient);
    ShowFlag(ui_->colourManage, o.ImageColourManage);
    UpdateRules();
}

void CImagePage::UpdateRules() {
    const bool userLut = ui_->enhanceUserLut->isChecked();
    ui_->lutPath->setEnabled(userLut);
    ui_->lutBrowse->setEnabled(userLut);
}

bool CImagePage::LeavePage() {
    BatchOptions& o = options_;
    o.ImageMatte = ReadFlag(ui_->matte);
    o.ImageMatteColor = ui_->matteColour->colour();
    o.ImageEnhanceType = ReadChoice(EnhanceButtons(), o.ImageEnhanceType);
    o.ImageUserLUTPath = ui_->lutPath->text().toStdString();
    o.ImageSharpen = ReadFlag(ui_->sharpen);
    o.ImageSharpenLevel = ui_->level->value();
    o.ImageBilinear = ReadFlag(ui_->bilinear);
    o.ImageAutoOrient = ReadFlag(ui_->autoOrient);
    o.ImageColourManage = ReadFlag(ui_->colourManage);
    return true;
}

}  // namespace vig::ui
