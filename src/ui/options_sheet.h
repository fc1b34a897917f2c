// The options sheet "Vignettor Options": nine pages in tabs over one working
// copy of the options. OK takes the open page's checks, writes the copy
// back into the window's record and then, when "Reset all options" was
// pressed, resets the record; Cancel leaves the record as it was.
#pragma once

#include <QDialog>
#include <vector>

#include "options/batch_options.h"

class QDialogButtonBox;
class QTabWidget;

namespace vig::ui {

class COptionsPage;
class COutputPage;
class COperationPage;
class CPNGPage;
class CJPGPage;
class CImagePage;
class COverlayPage;
class CLogPage;
class CHTMLPage;
class CCompositePage;

class CMySheet : public QDialog {
    Q_OBJECT
public:
    explicit CMySheet(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CMySheet() override;

    // Runs the sheet modally; true when it ended with OK (the record then
    // holds the result, reset when that was asked for).
    static bool Run(options::BatchOptions& options, QWidget* parent);

    void accept() override;

    int pageCount() const { return static_cast<int>(pages_.size()); }
    COptionsPage* page(int index) const { return pages_[static_cast<size_t>(index)]; }
    COptionsPage* currentPage() const;
    // Shows a page as a tab click does (the open page's checks first);
    // false when those checks kept it open.
    bool showPage(int index);
    void showHelp();

    QTabWidget* tabs() const { return tabs_; }
    QDialogButtonBox* buttons() const { return buttons_; }
    COutputPage* outputPage() const { return output_; }
    COperationPage* operationPage() const { return operation_; }
    CPNGPage* pngPage() const { return png_; }
    CJPGPage* jpgPage() const { return jpg_; }
    CImagePage* imagePage() const { return image_; }
    COverlayPage* overlayPage() const { return overlay_; }
    CLogPage* logPage() const { return log_; }
    CHTMLPage* htmlPage() const { return html_; }
    CCompositePage* compositePage() const { return composite_; }

private:
    void OnTabChanged(int index);
    // Gives the sheet the height of the page in view, so that a short page
    // leaves no empty band below its controls.
    void FitToCurrentPage();

    options::BatchOptions& options_;
    options::BatchOptions work_;
    QTabWidget* tabs_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::vector<COptionsPage*> pages_;
    int current_ = 0;
    int tallest_ = 0;  // the sheet's least height with its tallest page
    bool returning_ = false;

    COutputPage* output_ = nullptr;
    COperationPage* operation_ = nullptr;
    CPNGPage* png_ = nullptr;
    CJPGPage* jpg_ = nullptr;
    CImagePage* image_ = nullptr;
    COverlayPage* overlay_ = nullptr;
    CLogPage* log_ = nullptr;
    CHTMLPage* html_ = nullptr;
    CCompositePage* composite_ = nullptr;
};

}  // namespace vig::ui
