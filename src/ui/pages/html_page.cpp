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

CHTMLPage::CHTMLPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kHtmlPageTitle, widgets::HelpTopic::HtmlPages, parent) {
    ui_->maxImages->setArrowRange(1, kMaxImagesLimit);
    ui_->columns->setArrowRange(1, kColumnsLimit);
    using H = options::HtmlOptions;
    Bind({{Bound::Flag, ui_->makeHtml, &H::HTMLLog},
          {Bound::Text, ui_->baseName, &H::HTMLPath},
          {Bound::Corrected, ui_->maxImages, &H::HTMLMaxImages, 1, kMaxImagesLimit},
          {Bound::Flag, ui_->titles, &H::HTMLWriteTitles},
          {Bound::Flag, ui_->srcLink, &H::HTMLMakeSrcLink},
          {Bound::Flag, ui_->textLink, &H::HTMLMakeTextLink},
          {Bound::Flag, ui_->fileLink, &H::HTMLMakeFileLink},
          {Bound::Flag, ui_->makeIndex, &H::HTMLMakeIndex},
          {Bound::Flag, ui_->singleIndex, &H::HTMLMakeSingleIndex},
          {Bound::Flag, ui_->horizontal, &H::HTMLImageHoriz},
          {Bound::Flag, ui_->makeTable, &H::HTMLTable},
          {Bound::Corrected, ui_->columns, &H::HTMLTableCols, 1, kColumnsLimit},
          {Bound::Flag, ui_->writePng, &H::HTMLWritePNG},
          {Bound::Flag, ui_->writeBmp, &H::HTMLWriteBMP},
          {Bound::Flag, ui_->writePcx, &H::HTMLWritePCX},
          {Bound::Flag, ui_->writeTiff, &H::HTMLWriteTIFF},
          {Bound::Text, ui_->prevText, &H::HTMLPrevText},
          {Bound::Text, ui_->nextText, &H::HTMLNextText},
          {Bound::Flag, ui_->suppressFirst, &H::HTMLSuppressFirstNumber},
          {Bound::Choice,
           nullptr,
           &H::HTMLMakeSrcPages,
           0,
           0,
           {{ui_->srcPagesNone, options::NoSourcePages},
            {ui_->srcPagesInput, options::SourcePagesWithInput},
            {ui_->srcPagesOutput, options::SourcePagesWithOutput}}},
          {Bound::Text, ui_->target, &H::HTMLSourceTarget}});
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

void CHTMLPage::ShowOptions() {
    ShowFields();
    // Anything but 1 is ".htm".
    ShowChoice({{ui_->extHtm, 0}, {ui_->extHtml, 1}}, options::On(options_.HTMLExtHTML) ? 1 : 0);
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
    options::HtmlOptions& h = options_.Html();
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
    ReadFields();
    options::HtmlOptions& h = options_.Html();
    h.HTMLExtHTML = ReadChoice({{ui_->extHtm, 0}, {ui_->extHtml, 1}}, h.HTMLExtHTML);
    if (options::On(h.HTMLLog) && h.HTMLPath.empty()) Warn(texts::kNoHtmlFileName);
    return true;
}

}  // namespace vig::ui
