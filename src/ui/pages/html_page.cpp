#include "ui/pages/html_page.h"

#include "ui/html_appearance_dialog.h"
#include "ui/html_text_dialog.h"
#include "ui/sheet_texts.h"
#include "ui_html_page.h"

namespace vig::ui {
namespace {

constexpr int kMaxImagesLimit = 1000;
constexpr int kColumnsLimit = 20;

}  // namespace

CHTMLPage::CHTMLPage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kHtmlPageTitle, widgets::HelpTopic::HtmlPages, parent) {
    ui_->maxImages->setArrowRange(1, kMaxImagesLimit);
    ui_->columns->setArrowRange(1, kColumnsLimit);
    UpdateRulesOnToggle({ui_->makeHtml, ui_->srcLink, ui_->makeIndex, ui_->makeTable});
    connect(ui_->srcLink, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on) ui_->srcPagesNone->setChecked(true);
    });
    connect(ui_->makeTable, &QAbstractButton::toggled, this, [this](bool on) {
        if (on) ui_->horizontal->setChecked(false);
    });
    connect(ui_->header, &QAbstractButton::clicked, this, [this] { EditInclude(false); });
    connect(ui_->footer, &QAbstractButton::clicked, this, [this] { EditInclude(true); });
    connect(ui_->appearance, &QAbstractButton::clicked, this, [this] {
        CHtmlAppearanceDialog dialog(options_.Html(), this);
        dialog.exec();
    });
}

CHTMLPage::~CHTMLPage() = default;

RadioCodes CHTMLPage::SourcePageButtons() const {
    return {{ui_->srcPagesNone, NoSourcePages},
            {ui_->srcPagesInput, SourcePagesWithInput},
            {ui_->srcPagesOutput, SourcePagesWithOutput}};
}

void CHTMLPage::ShowOptions() {
    const HtmlOptions& h = options_.Html();
    ShowFlag(ui_->makeHtml, h.HTMLLog);
    ui_->baseName->setText(QString::fromStdString(h.HTMLPath));
    ShowChoice({{ui_->extHtm, 0}, {ui_->extHtml, 1}}, h.HTMLExtHTML == 1 ? 1 : 0);
    ui_->maxImages->setValue(h.HTMLMaxImages);
    ShowFlag(ui_->titles, h.HTMLWriteTitles);
    ShowFlag(ui_->srcLink, h.HTMLMakeSrcLink);
    ShowFlag(ui_->textLink, h.HTMLMakeTextLink);
    ShowFlag(ui_->fileLink, h.HTMLMakeFileLink);
    ShowFlag(ui_->makeIndex, h.HTMLMakeIndex);
    ShowFlag(ui_->singleIndex, h.HTMLMakeSingleIndex);
    ShowFlag(ui_->horizontal, h.HTMLImageHoriz);
    ShowFlag(ui_->makeTable, h.HTMLTable);
    ui_->columns->setValue(h.HTMLTableCols);
    ShowFlag(ui_->writePng, h.HTMLWritePNG);
    ShowFlag(ui_->writeBmp, h.HTMLWriteBMP);
    ShowFlag(ui_->writePcx, h.HTMLWritePCX);
    ShowFlag(ui_->writeTiff, h.HTMLWriteTIFF);
    ui_->prevText->setText(QString::fromStdString(h.HTMLPrevText));
    ui_->nextText->setText(QString::fromStdString(h.HTMLNextText));
    ShowFlag(ui_->suppressFirst, h.HTMLSuppressFirstNumber);
    ShowChoice(SourcePageButtons(), h.HTMLMakeSrcPages);
    ui_->target->setText(QString::fromStdString(h.HTMLSourceTarget));
    UpdateRules();
}

void CHTMLPage::UpdateRules() {
    const bool on = ui_->makeHtml->isChecked();
    for (QWidget* w : findChildren<QWidget*>())
        if (w != ui_->makeHtml && w->parentWidget() == this) w->setEnabled(on);
    const bool links = on && ui_->srcLink->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->textLink, ui_->srcPagesNone,
                                                      ui_->srcPagesInput, ui_->srcPagesOutput})
        w->setEnabled(links);
    ui_->singleIndex->setEnabled(on && ui_->makeIndex->isChecked());
    ui_->horizontal->setEnabled(on && !ui_->makeTable->isChecked());
}

void CHTMLPage::EditInclude(bool footer) {
    HtmlOptions& h = options_.Html();
    std::string& text = footer ? h.HTMLFooter : h.HTMLHeader;
    std::string& path = footer ? h.HTMLFooterPath : h.HTMLHeaderPath;
    int& useFile = footer ? h.HTMLUseFooterPath : h.HTMLUseHeaderPath;
    CHtmlTextDialog dialog(footer, {text, path, useFile}, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const HtmlInclude chosen = dialog.include();
    text = chosen.text;
    path = chosen.path;
    useFile = chosen.useFile;
}

bool CHTMLPage::LeavePage() {
    HtmlOptions& h = options_.Html();
    h.HTMLLog = ReadFlag(ui_->makeHtml);
    h.HTMLPath = ui_->baseName->text().toStdString();
    h.HTMLExtHTML = ReadChoice({{ui_->extHtm, 0}, {ui_->extHtml, 1}}, h.HTMLExtHTML);
    h.HTMLMaxImages = ReadCorrected(ui_->maxImages, 1, kMaxImagesLimit);
    h.HTMLWriteTitles = ReadFlag(ui_->titles);
    h.HTMLMakeSrcLink = ReadFlag(ui_->srcLink);
    h.HTMLMakeTextLink = ReadFlag(ui_->textLink);
    h.HTMLMakeFileLink = ReadFlag(ui_->fileLink);
    h.HTMLMakeIndex = ReadFlag(ui_->makeIndex);
    h.HTMLMakeSingleIndex = ReadFlag(ui_->singleIndex);
    h.HTMLImageHoriz = ReadFlag(ui_->horizontal);
    h.HTMLTable = ReadFlag(ui_->makeTable);
    h.HTMLTableCols = ReadCorrected(ui_->columns, 1, kColumnsLimit);
    h.HTMLWritePNG = ReadFlag(ui_->writePng);
    h.HTMLWriteBMP = ReadFlag(ui_->writeBmp);
    h.HTMLWritePCX = ReadFlag(ui_->writePcx);
    h.HTMLWriteTIFF = ReadFlag(ui_->writeTiff);
    h.HTMLPrevText = ui_->prevText->text().toStdString();
    h.HTMLNextText = ui_->nextText->text().toStdString();
    h.HTMLSuppressFirstNumber = ReadFlag(ui_->suppressFirst);
    h.HTMLMakeSrcPages = ReadChoice(SourcePageButtons(), h.HTMLMakeSrcPages);
    h.HTMLSourceTarget = ui_->target->text().toStdString();
    if (h.HTMLLog == 1 && h.HTMLPath.empty()) Warn(texts::kNoHtmlFileName);
    return true;
}

}  // namespace vig::ui
