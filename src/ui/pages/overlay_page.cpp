#include "ui/pages/overlay_page.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "image/error_codes.h"
#include "ui/overlay_preview.h"
#include "image/codec_table.h"
#include "ui/file_filters.h"
#include "ui/position_box.h"
#include "ui/sheet_texts.h"
#include "ui_overlay_page.h"

namespace vig::ui {

COverlayPage::COverlayPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kOverlayPageTitle, widgets::HelpTopic::Overlay, parent) {
    ui_->colourCount->setArrowRange(kMinColours, kMaxColours);

    using B = options::BatchOptions;
    Bind({{Bound::Flag, ui_->overlay, &B::OverlayOverlay},
          {Bound::Text, ui_->path, &B::OverlayPath},
          {Bound::Choice,
           nullptr,
           &B::OverlayRotation,
           0,
           0,
           {{ui_->rotateNone, 0}, {ui_->rotate90, 1}, {ui_->rotate180, 2}, {ui_->rotate270, 3}}},
          {Bound::Choice,
           nullptr,
           &B::OverlayQuantize,
           0,
           0,
           {{ui_->quantizeNormal, 0}, {ui_->quantizePosterize, 1}}},
          {Bound::Corrected, ui_->colourCount, &B::OverlayQuantizeColors, kMinColours, kMaxColours},
          {Bound::Flag, ui_->sizeToFit, &B::OverlayResize},
          {Bound::Flag, ui_->noTransparency, &B::OverlayNoTransparency},
          {Bound::Colour, ui_->transColour, &B::OverlayTransColor}});
    UpdateRulesOnToggle({ui_->overlay, ui_->noTransparency, ui_->quantizePosterize});
    connect(ui_->quantizePosterize, &QAbstractButton::toggled, this,
            &COverlayPage::UpdatePosterize);
    connect(ui_->colourCount, &QAbstractSpinBox::editingFinished, this,
            &COverlayPage::OnColourCountFinished);
    connect(ui_->colourCount, &QSpinBox::valueChanged, this, [this](int colours) {
        if (colours >= kMinColours && colours <= kMaxColours) UpdatePosterize();
    });

    connect(ui_->positionGrid, &QAbstractButton::toggled, this, [this](bool on) {
        if (on) ui_->positionBox->setMode(PositionMode::Grid);
    });
    connect(ui_->positionEdges, &QAbstractButton::toggled, this, [this](bool on) {
        if (on) ui_->positionBox->setMode(PositionMode::Edges);
    });

    connect(ui_->path, &QLineEdit::editingFinished, this, &COverlayPage::LoadPreview);
    connect(ui_->path, &DropEdit::fileDropped, this, &COverlayPage::LoadPreview);
    connect(ui_->browse, &QAbstractButton::clicked, this, [this] {
        // The file system tells letter cases apart here: both spellings are
        // listed. GIF files are left out of the list (All Files shows them).
        const QString path = ChooseOpenFile(
            this, texts::kOverlayDialogTitle, ui_->path->text(),
            PictureFileFilters(PatternCase::Both, image::InputGif).join(QStringLiteral(";;")));
        if (path.isEmpty()) return;
        ui_->path->setText(path);
        LoadPreview();
    });
    connect(ui_->preview, &COverlayPreview::imageChanged, this, [this] {
        ShowPreviewStatus();
        UpdateRules();
    });
    connect(ui_->preview, &COverlayPreview::colourPicked, ui_->transColour,
            &CColourSwatch::setColour);
}

COverlayPage::~COverlayPage() = default;

void COverlayPage::ShowOptions() {
    const options::BatchOptions& o = options_;
    ShowFields();
    const PositionMode mode = ModeForPosition(o.OverlayPos);
    {
        const QSignalBlocker grid(ui_->positionGrid), edges(ui_->positionEdges);
        ui_->positionGrid->setChecked(mode == PositionMode::Grid);
        ui_->positionEdges->setChecked(mode == PositionMode::Edges);
    }
    ui_->positionBox->reset(mode, o.OverlayPos);
    shownOpacity_ = static_cast<int>(std::lround(std::clamp(o.OverlayOpacity, 0.0, 1.0) * 100));
    ui_->opacity->setValue(shownOpacity_);
    UpdateRules();
    LoadPreview();
}

void COverlayPage::UpdateRules() {
    const bool on = ui_->overlay->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui_->pathLabel, ui_->path, ui_->browse, ui_->positionGroup, ui_->rotationGroup,
             ui_->quantizeGroup, ui_->appearanceGroup, ui_->previewGroup})
        w->setEnabled(on);
    const bool quantize = on && !ui_->noTransparency->isChecked();
    ui_->quantizeNormal->setEnabled(quantize);
    ui_->quantizePosterize->setEnabled(quantize);
    const bool count = quantize && ui_->quantizePosterize->isChecked();
    ui_->colourCountLabel->setEnabled(count);
    ui_->colourCount->setEnabled(count);
    ui_->positionBox->setHighlighted(on);
    ui_->preview->setPickingEnabled(on && ui_->preview->hasImage());
}

// The preview reads the file once it is on screen: the sheet opens without
// reading it, and a large picture never holds up the window.
void COverlayPage::LoadPreview() {
    ui_->preview->setImagePath(ui_->path->text());
    UpdatePosterize();
    ShowPreviewStatus();
    UpdateRules();
}

// Nothing while the picture is read or shown; why it cannot be shown else.
void COverlayPage::ShowPreviewStatus() {
    const COverlayPreview* preview = ui_->preview;
    QString text;
    if (!preview->hasImage() && !preview->loading())
        text = preview->loadError() == image::ErrOutOfMemory
                   ? widgets::Translated(image::kErrorTextContext,
                                         image::ErrorText(image::ErrOutOfMemory).c_str())
                   : texts::Tr(texts::kInvalidImage);
    ui_->previewStatus->setText(text);
}

void COverlayPage::UpdatePosterize() {
    ui_->preview->setPosterize(ui_->quantizePosterize->isChecked(), ui_->colourCount->value(),
                               ui_->transColour->colour());
}

void COverlayPage::OnColourCountFinished() {
    ReadCorrected(ui_->colourCount, kMinColours, kMaxColours);
}

bool COverlayPage::LeavePage() {
    options::BatchOptions& o = options_;
    ReadFields();
    o.OverlayPos = ui_->positionBox->position();
    // An untouched slider keeps the stored opacity exactly.
    if (ui_->opacity->value() != shownOpacity_) o.OverlayOpacity = ui_->opacity->value() * 0.01;
    return true;
}

}  // namespace vig::ui
