#include "ui/pages/composite_page.h"

#include "documents/composite.h"
#include "ui/colour_swatch.h"
#include "ui/font_chooser.h"
#include "ui/sheet_texts.h"
#include "ui_composite_page.h"

namespace vig::ui {
namespace {

constexpr int kSheetLimit = 10;  // rows and columns
// The composite has no input file: the "same as input" formats are not
// offered.
constexpr int kFirstFormat = options::FormatJpg;
constexpr int kLastFormat = options::FormatGifGray;

}  // namespace

CCompositePage::CCompositePage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kCompositePageTitle, widgets::HelpTopic::Composite, parent) {
    for (int code = kFirstFormat; code <= kLastFormat; ++code)
        ui_->format->addItem(
            widgets::Translated(options::kListContext, options::kOutputFormatTexts[code - 1]),
            code);
    ui_->rows->setArrowRange(1, kSheetLimit);
    ui_->cols->setArrowRange(1, kSheetLimit);
    using C = options::CompositeOptions;
    Bind({{Bound::Flag, ui_->makeComposite, &C::CompositeMakeComposite},
          {Bound::Text, ui_->baseName, &C::CompositeBaseName},
          {Bound::Corrected, ui_->rows, &C::CompositeRows, 1, kSheetLimit},
          {Bound::Corrected, ui_->cols, &C::CompositeCols, 1, kSheetLimit},
          {Bound::Colour, ui_->background, &C::CompositeBackColor},
          {Bound::Flag, ui_->writeFileName, &C::CompositeWriteFileName}});
    UpdateRulesOnToggle({ui_->makeComposite});
    connect(ui_->font, &QAbstractButton::clicked, this, &CCompositePage::ChooseLabelFont);
    connect(ui_->background, &CColourSwatch::colourChanged, this, &CCompositePage::ShowFont);
}

CCompositePage::~CCompositePage() = default;

void CCompositePage::ShowOptions() {
    const options::CompositeOptions& c = options_.Composite();
    ShowFields();
    // Anything but 1 writes into the subfolders.
    ShowChoice({{ui_->writeSubfolders, 0}, {ui_->writeRoot, 1}},
               options::On(c.CompositeWriteToRoot) ? 1 : 0);
    ui_->format->setCurrentIndex(ui_->format->findData(c.CompositeFormat));
    ShowFont();
    UpdateRules();
}

void CCompositePage::UpdateRules() {
    const bool on = ui_->makeComposite->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_->filesGroup, ui_->gridGroup, ui_->namesGroup})
        w->setEnabled(on);
}

// The face chosen and its size, and the face the labels are really drawn in
// when fontconfig gives another for it, written in that face and colour on
// the sheet's background. The record keeps the face chosen.
void CCompositePage::ShowFont() {
    const options::CompositeOptions& c = options_.Composite();
    const QString face = QString::fromStdString(c.CompositeFontName);
    const QString drawn = QString::fromStdString(
        documents::LabelFontFamily(c.CompositeFontName, c.CompositeFontSize));
    const bool other = !drawn.isEmpty() && drawn.compare(face, Qt::CaseInsensitive) != 0;
    ui_->fontSample->setText(
        other ? texts::Tr(texts::kFontSampleDrawnIn)
                    .arg(face, drawn, QString::number(c.CompositeFontSize))
              : texts::Tr(texts::kFontSample).arg(face).arg(c.CompositeFontSize));
    QFont font(drawn.isEmpty() ? face : drawn);
    font.setPointSize(std::clamp(c.CompositeFontSize, 6, 16));
    ui_->fontSample->setFont(font);
    QPalette pal = ui_->fontSample->palette();
    pal.setColor(QPalette::Window, ToQColor(ui_->background->colour()));
    pal.setColor(QPalette::WindowText, ToQColor(c.CompositeTextColor));
    ui_->fontSample->setPalette(pal);
}

void CCompositePage::ChooseLabelFont() {
    options::CompositeOptions& c = options_.Composite();
    FontChoice choice{QString::fromStdString(c.CompositeFontName), c.CompositeFontSize,
                      c.CompositeTextColor};
    if (!ChooseFont(this, &choice)) return;
    c.CompositeFontName = choice.face.toStdString();
    c.CompositeFontSize = choice.pointSize;
    c.CompositeTextColor = choice.colour;
    ShowFont();
}

bool CCompositePage::LeavePage() {
    ReadFields();
    options::CompositeOptions& c = options_.Composite();
    c.CompositeWriteToRoot =
        ReadChoice({{ui_->writeSubfolders, 0}, {ui_->writeRoot, 1}}, c.CompositeWriteToRoot);
    // A stored format the list does not offer stays until one is chosen.
    if (ui_->format->currentIndex() >= 0) c.CompositeFormat = ui_->format->currentData().toInt();
    return true;
}

}  // namespace vig::ui
