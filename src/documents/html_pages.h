// HTML thumbnail pages: the page series of one batch run, and the entry of
// one thumbnail.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "options/batch_options.h"

namespace vig {

class HtmlPageSeries {
public:
    // Reads its settings from `options` (kept by reference for the run).
    explicit HtmlPageSeries(const BatchOptions& options);
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
    std::FILE* page() const { return file_; }
    const std::string& pagePath() const { return pagePath_; }
    // Every page opened in the run, in order.
    const std::vector<std::string>& pageList() const { return pageList_; }

private:
    const BatchOptions& options_;
    std::FILE* file_ = nullptr;
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
void WriteThumbnailEntry(std::FILE* page, const std::string& outPath, const std::string& inPath,
                         int width, int height, const std::string& pagePath,
                         const BatchOptions& options);

}  // namespace vig
