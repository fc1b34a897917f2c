#include "ui/options_sheet.h"

#include <QDialogButtonBox>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/pages/composite_page.h"
#include "ui/pages/html_page.h"
#include "ui/pages/image_page.h"
#include "ui/pages/jpg_page.h"
#include "ui/pages/log_page.h"
#include "ui/pages/operation_page.h"
#include "ui/pages/output_page.h"
#include "ui/pages/overlay_page.h"
#include "ui/pages/png_page.h"
#include "ui/sheet_texts.h"
#include "widgets/dialog_buttons.h"
#include "widgets/help.h"

namespace vig::ui {

CMySheet::CMySheet(options::BatchOptions& options, QWidget* parent)
    : QDialog(parent), options_(options), work_(options) {
    setWindowTitle(texts::Tr(texts::kSheetTitle));
    // Made in focus order: the tabs, the pages' controls, then the buttons.
    tabs_ = new QTabWidget(this);
    // Every tab in view: the sheet is as wide as its nine titles.
    tabs_->setUsesScrollButtons(false);

    output_ = new COutputPage(work_);
    operation_ = new COperationPage(work_);
    png_ = new CPNGPage(work_);
    jpg_ = new CJPGPage(work_);
    image_ = new CImagePage(work_);
    overlay_ = new COverlayPage(work_);
    log_ = new CLogPage(work_);
    html_ = new CHTMLPage(work_);
    composite_ = new CCompositePage(work_);
    pages_ = {output_, operation_, png_, jpg_, image_, overlay_, log_, html_, composite_};
    for (COptionsPage* p : pages_) {
        p->ShowOptions();
        tabs_->addTab(p, p->title());
    }
    buttons_ = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    widgets::PlainDialogButtons(buttons_);
    widgets::WidenButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    tabs_->setCurrentIndex(0);
    tallest_ = minimumSizeHint().height();
    FitToCurrentPage();

    connect(tabs_, &QTabWidget::currentChanged, this, &CMySheet::OnTabChanged);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CMySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &CMySheet::reject);
    connect(buttons_, &QDialogButtonBox::helpRequested, this, &CMySheet::showHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &CMySheet::showHelp);
}

CMySheet::~CMySheet() = default;

bool CMySheet::Run(options::BatchOptions& options, QWidget* parent) {
    CMySheet sheet(options, parent);
    return sheet.exec() == QDialog::Accepted;
}

COptionsPage* CMySheet::currentPage() const {
    return pages_[static_cast<size_t>(current_)];
}

bool CMySheet::showPage(int index) {
    tabs_->setCurrentIndex(index);
    return current_ == index;
}

void CMySheet::showHelp() {
    widgets::ShowHelpTopic(currentPage()->helpTopic());
}

// A page is left only when its checks pass; otherwise its tab comes back.
void CMySheet::OnTabChanged(int index) {
    if (returning_ || index == current_) return;
    if (!currentPage()->LeavePage()) {
        returning_ = true;
        tabs_->setCurrentIndex(current_);
        returning_ = false;
        return;
    }
    current_ = index;
    FitToCurrentPage();
}

// The tab widget asks every page for its size; a page whose vertical policy
// is Ignored is left out, so only the page in view sets the height. The
// width stays as it is (the nine titles set it).
void CMySheet::FitToCurrentPage() {
    for (size_t i = 0; i < pages_.size(); ++i) {
        QSizePolicy policy = pages_[i]->sizePolicy();
        policy.setVerticalPolicy(static_cast<int>(i) == current_ ? QSizePolicy::Preferred
                                                                  : QSizePolicy::Ignored);
        pages_[i]->setSizePolicy(policy);
    }
    tabs_->updateGeometry();
    // Before the sheet is first shown, showing it sizes it.
    if (!isVisible()) return;
    layout()->activate();
    // The tab widget's size hint is the tallest page's whatever the
    // policies; its minimum follows them, and every page's controls are at
    // their natural height at their minimum, except wrapped texts, which
    // need the height they take at the page's width.
    QWidget* page = currentPage();
    int height = minimumSizeHint().height();
    if (page->hasHeightForWidth())
        height += std::max(0, page->heightForWidth(page->width()) -
                                  page->minimumSizeHint().height());
    // Never taller than the sheet with its tallest page (a page with a
    // text box would otherwise ask for the box's generous size).
    resize(width(), std::min(height, std::max(tallest_, minimumSizeHint().height())));
}

void CMySheet::accept() {
    if (!currentPage()->LeavePage()) return;
    options_ = work_;
    if (operation_->resetRequested()) options_.Reset();
    QDialog::accept();
}

}  // namespace vig::ui
