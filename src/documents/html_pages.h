// HTML thumbnail pages: the page series of one batch run, and the entry of
// one thumbnail.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "documents/writing.h"
#include "options/batch_options.h"

namespace vig::documents {

// The pieces every HTML file of a run shares.
// ".htm", or ".html" with HTMLExtHTML.
std::string HtmlExtension(const options::HtmlOptions& options);
// The body tag with the four colours, then the generated-by comment.
void WriteBodyTag(std::FILE* file, const options::HtmlOptions& options);
// The header (footer) text, or the contents of its file, or a comment
// saying that the file was not found.
void WriteHeader(std::FILE* file, const options::HtmlOptions& options);
void WriteFooter(std::FILE* file, const options::HtmlOptions& options);
// The start of a thumbnail page, up to the table tag when HTMLTable is on.
void WritePageStart(std::FILE* file, const options::HtmlOptions& options);

// Columns a table may have at most (see HtmlPageSeries::Columns).
inline constexpr int kMaxTableColumns = 1000;

// Whether a file name is one that pages or indexes of a run may take:
// HTMLPath with a number (or without, for the first page with
// HTMLSuppressFirstNumber), "index" or "_index", with the page extension.
bool IsRunPageName(const std::string& fileName, const options::HtmlOptions& options);

// The page of `folder` with number `pageNumber` (no number for page 0 with
// HTMLSuppressFirstNumber).
std::string PageName(const std::string& folder, int pageNumber,
                     const options::HtmlOptions& options);

class HtmlPageSeries {
public:
    // Reads its settings from `options` (kept by reference for the run);
    // pages are written under the run's guard.
    explicit HtmlPageSeries(const options::BatchOptions& options,
                            documents::DocumentGuard& guard = documents::NoGuard());
    ~HtmlPageSeries();
    HtmlPageSeries(const HtmlPageSeries&) = delete;
    HtmlPageSeries& operator=(const HtmlPageSeries&) = delete;

    // Before each file of the run (only when HTMLLog is on): thumbnailPath is
    // the output path the file will get, fileIndex its index in the run's
    // file list (0 opens the first page). Breaks rows and pages.
    void BeginPageForFile(const std::string& thumbnailPath, int fileIndex);
    // After a file failed: its error cell, when a table page is open.
    void WriteErrorEntry(const std::string& inputFileName);
    // After the last file: the index (when HTMLMakeIndex is on) with
    // rootFolder as its root, then the end of the open page.
    void EndPageSeries(const std::string& rootFolder);

    // The open page and its path (nullptr and "" when none is open).
    std::FILE* page() const { return page_ ? page_->file() : nullptr; }
    const std::string& pagePath() const { return pagePath_; }
    // Every page opened in the run, in order.
    const std::vector<std::string>& pageList() const { return pageList_; }

private:
    // Starts the page at pagePath_; false when it could not be created
    // (the series then ends).
    std::unique_ptr<documents::DocumentFile> CreatePage();
    // Makes `page` the open page and writes its start; false when there is
    // none.
    bool OpenPage(std::unique_ptr<documents::DocumentFile> page);
    // Fills the open table row with `filler` cells and ends the table with
    // `tableEnd`.
    void EndTable(const char* filler, const char* tableEnd);
    void ClosePage();
    int Columns() const;
    int MaxImages() const;

    const options::BatchOptions& options_;
    documents::DocumentGuard& guard_;
    std::unique_ptr<documents::DocumentFile> page_;
    std::string pagePath_;
    std::string prevPagePath_;
    std::string pageDir_;
    int pageNumber_ = 0;
    int closedPages_ = 0;
    int cellIndex_ = -1;
    std::vector<std::string> pageList_;
};

// One thumbnail's entry on the open page; the pipeline writes the table
// cell lines around it. width and height are the thumbnail's final size.
// Source pages are written under `guard`.
void WriteThumbnailEntry(std::FILE* page, const std::string& outPath, const std::string& inPath,
                         int width, int height, const std::string& pagePath,
                         const options::BatchOptions& options,
                         documents::DocumentGuard& guard = documents::NoGuard());

}  // namespace vig::documents
