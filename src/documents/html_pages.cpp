// Thumbnail pages: the pieces every HTML file shares, the page series of a
// run and the entry of one thumbnail.
#include "documents/html_pages.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "documents/html_index.h"
#include "documents/html_text.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig {
namespace {

using documents::On;
using html::kBodyEnd;
using html::kCenter;
using html::kCenterEnd;
using html::kDoctype;
using html::kGeneratedBy;
using html::Put;

constexpr char kPageTitle[] = "<title>thumbnails</title>\n";
constexpr char kPageMeta[] = "<meta name=\"generator\" content=\"thumbnails\">\n</head>\n";
constexpr char kParagraph[] = "<p>\n";
constexpr char kRowStart[] = "<tr>\n";
constexpr char kRowBreak[] = "</tr>\n\n";
constexpr char kParagraphEnd[] = "</p>\n";
// The mid-run close and the end-of-run close write different filler cells
// and table ends.
constexpr char kFillerMidRun[] = " <td>\n </td>\n\n";
constexpr char kTableEndMidRun[] = "</tr>\n\n</table>\n\n";
constexpr char kFillerLast[] = "<td>\n</td>\n\n";
constexpr char kTableEndLast[] = "</tr>\n\n</table>\n";

std::string HexColour(Colour c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02x%02x%02x", ColourRed(c), ColourGreen(c), ColourBlue(c));
    return buf;
}

// "<a href = \"%s\">%s</a>": the prev / next links.
std::string PageLink(const std::string& link, const std::string& text) {
    return "<a href = \"" + html::Url(link) + "\">" + text + "</a>";
}

// Copies a header or footer file into the page. Only a regular file is read,
// and no more than it held when it was opened (it may be the page itself).
bool CopyFile(std::FILE* page, const std::string& path) {
    std::FILE* in = platform::OpenRegularFileStream(path);
    if (in == nullptr) return false;
    struct stat st {};
    if (fstat(fileno(in), &st) != 0) {
        std::fclose(in);
        return false;
    }
    char buf[8192];
    auto left = static_cast<unsigned long long>(st.st_size);
    while (left > 0) {
        const size_t want = left < sizeof buf ? static_cast<size_t>(left) : sizeof buf;
        const size_t got = std::fread(buf, 1, want, in);
        if (got == 0) break;
        std::fwrite(buf, 1, got, page);
        left -= got;
    }
    std::fclose(in);
    return true;
}

void WriteInclude(std::FILE* file, bool useFile, const std::string& text, const std::string& path,
                  const char* what) {
    if (!useFile) {
        Put(file, text);
        Put(file, "\n\n");
        return;
    }
    if (path.empty()) return;
    if (CopyFile(file, path)) return;
    Put(file, "\n<!-- " + html::Text(path) + " : " + what + " not found -->\n\n");
}

}  // namespace

std::string HtmlExtension(const HtmlOptions& options) {
    return On(options.HTMLExtHTML) ? ".html" : ".htm";
}

void WriteBodyTag(std::FILE* file, const HtmlOptions& options) {
    Put(file, "<body bgcolor=\"#" + HexColour(options.HTMLBackColor) + "\" link=\"#" +
                  HexColour(options.HTMLLinkColor) + "\" vlink=\"#" +
                  HexColour(options.HTMLVLinkColor) + "\" text=\"#" +
                  HexColour(options.HTMLTextColor) + "\">\n");
    Put(file, kGeneratedBy);
}

void WriteHeader(std::FILE* file, const HtmlOptions& options) {
    WriteInclude(file, On(options.HTMLUseHeaderPath), options.HTMLHeader, options.HTMLHeaderPath,
                 "header");
}

void WriteFooter(std::FILE* file, const HtmlOptions& options) {
    WriteInclude(file, On(options.HTMLUseFooterPath), options.HTMLFooter, options.HTMLFooterPath,
                 "footer");
}

void WritePageStart(std::FILE* file, const HtmlOptions& options) {
    Put(file, kDoctype);
    Put(file, kPageTitle);
    Put(file, kPageMeta);
    WriteBodyTag(file, options);
    WriteHeader(file, options);
    Put(file, kCenter);
    if (On(options.HTMLTable))
        Put(file, "<table border=" + std::to_string(options.HTMLBorderWidth) +
                      " cellspacing=0 cellpadding=5 width=\"90%\" >\n\n");
}

std::string PageName(const std::string& folder, int pageNumber, const HtmlOptions& options) {
    std::string name = options.HTMLPath;
    if (pageNumber != 0 || !On(options.HTMLSuppressFirstNumber)) name += std::to_string(pageNumber);
    name += HtmlExtension(options);
    return html::InFolder(folder, name);
}

HtmlPageSeries::HtmlPageSeries(const BatchOptions& options) : options_(options) {}

HtmlPageSeries::~HtmlPageSeries() {
    if (file_ != nullptr) std::fclose(file_);
}

// Table columns and images per page below 1 count as 1: the row and page
// arithmetic divides by them.
int HtmlPageSeries::Columns() const {
    return std::max(1, options_.HTMLTableCols);
}
int HtmlPageSeries::MaxImages() const {
    return std::max(1, options_.HTMLMaxImages);
}

bool HtmlPageSeries::OpenPage(std::FILE* file) {
    file_ = file;
    if (file_ == nullptr) {
        pagePath_.clear();
        return false;
    }
    pageList_.push_back(pagePath_);
    WritePageStart(file_, options_);
    Put(file_, kParagraph);
    if (On(options_.HTMLTable)) Put(file_, kRowStart);
    return true;
}

void HtmlPageSeries::EndTable(const char* filler, const char* tableEnd) {
    const int cols = Columns();
    const int lastColumn = cellIndex_ < 0 ? -1 : cellIndex_ % cols;
    for (int c = lastColumn + 1; c < cols; ++c) Put(file_, filler);
    Put(file_, tableEnd);
}

void HtmlPageSeries::ClosePage() {
    Put(file_, kCenterEnd);
    WriteFooter(file_, options_);
    Put(file_, kBodyEnd);
    std::fclose(file_);
    file_ = nullptr;
}

void HtmlPageSeries::BeginPageForFile(const std::string& thumbnailPath, int fileIndex) {
    if (!On(options_.HTMLLog)) return;
    const std::string folder = html::FolderOf(thumbnailPath);
    const bool table = On(options_.HTMLTable);

    if (fileIndex == 0 && file_ == nullptr && pageList_.empty()) {
        pageDir_ = folder;
        pagePath_ = PageName(pageDir_, pageNumber_, options_);
        if (!OpenPage(std::fopen(pagePath_.c_str(), "w"))) return;
    }
    if (file_ == nullptr) return;

    const int cols = Columns();
    if (table && cellIndex_ > 0 && cellIndex_ % cols == cols - 1) {
        Put(file_, kRowBreak);
        Put(file_, kRowStart);
    }

    bool ends = false;
    if (folder != pageDir_) {
        ends = true;
        pageDir_ = folder;
        pageNumber_ = -1;
    } else if (cellIndex_ >= 0 && cellIndex_ % MaxImages() == MaxImages() - 1) {
        ends = true;
    }
    if (!ends) {
        ++cellIndex_;
        return;
    }

    // Close this page and open the next.
    if (table) EndTable(kFillerMidRun, kTableEndMidRun);
    Put(file_, kParagraphEnd);
    const bool fileLinks = On(options_.HTMLMakeFileLink);
    if (fileLinks && closedPages_ > 0)
        Put(file_, PageLink(html::Link(prevPagePath_, pagePath_), options_.HTMLPrevText) + "  |  ");

    const std::string closingPath = pagePath_;
    prevPagePath_ = pagePath_;
    ++closedPages_;
    ++pageNumber_;
    pagePath_ = PageName(pageDir_, pageNumber_, options_);

    // The next page is created before the closing page links to it, so a
    // page that cannot be created is never linked.
    std::FILE* next = std::fopen(pagePath_.c_str(), "w");
    if (fileLinks && next != nullptr)
        Put(file_, PageLink(html::Link(pagePath_, closingPath), options_.HTMLNextText));
    ClosePage();
    if (OpenPage(next)) cellIndex_ = 0;
}

void HtmlPageSeries::WriteErrorEntry(const std::string& inputFileName) {
    if (file_ == nullptr || !On(options_.HTMLTable)) return;
    Put(file_, "  <td>Error : " + html::Text(inputFileName) + "</td>\n\n");
}

void HtmlPageSeries::EndPageSeries(const std::string& rootFolder) {
    if (!On(options_.HTMLLog)) return;
    if (On(options_.HTMLMakeIndex)) WriteIndexes(pageList_, rootFolder, options_);
    if (file_ == nullptr) return;
    if (On(options_.HTMLTable)) EndTable(kFillerLast, kTableEndLast);
    Put(file_, kParagraphEnd);
    if (On(options_.HTMLMakeFileLink) && !prevPagePath_.empty())
        Put(file_, PageLink(html::Link(prevPagePath_, pagePath_), options_.HTMLPrevText));
    ClosePage();
    pagePath_.clear();
}

void WriteThumbnailEntry(std::FILE* page, const std::string& outPath, const std::string& inPath,
                         int width, int height, const std::string& pagePath,
                         const BatchOptions& options) {
    if (page == nullptr) return;
    const std::string title = paths::FileName(outPath);

    const bool srcLink = On(options.HTMLMakeSrcLink);
    std::string target;
    if (srcLink) {
        target = html::Link(inPath, outPath);
        const int mode = options.HTMLMakeSrcPages;
        if (mode == SourcePagesWithInput || mode == SourcePagesWithOutput) {
            const std::string sourcePage = SourcePagePath(inPath, outPath, options);
            // A source page never replaces the open page (an input named
            // like it); when it is not written the entry links to the input
            // image instead.
            if (html::FullForm(sourcePage) != html::FullForm(pagePath) &&
                WriteSourcePageFor(sourcePage, inPath, pagePath, options))
                target = html::Link(sourcePage, outPath);
        }
    }

    const std::string img =
        "<img src=\"" + html::Url(title) + "\" hspace=" + std::to_string(options.HTMLImageHSpace) +
        " vspace=" + std::to_string(options.HTMLImageVSpace) +
        " border=" + std::to_string(options.HTMLImageBorder) + " width=" + std::to_string(width) +
        " height=" + std::to_string(height) + ">";
    const bool horiz = On(options.HTMLImageHoriz);
    const std::string font = html::FontTag(options.HTMLTextSize);
    const std::string a = "<a href=\"" + html::Url(target) + "\">";
    const std::string nl = horiz ? "" : "\n";
    const std::string br = horiz ? "" : "<br>";
    const std::string name = html::Text(title);

    std::string entry;
    if (srcLink && On(options.HTMLWriteTitles)) {
        if (On(options.HTMLMakeTextLink))
            entry = font + nl + a + nl + img + br + name + "</a>" + "</font>";
        else
            entry = font + nl + a + nl + img + "</a>" + br + name + nl + "</font>";
    } else if (srcLink) {
        entry = a + nl + img + "</a>";
    } else if (On(options.HTMLWriteTitles)) {
        entry = font + nl + img + br + name + nl + "</font>";
    } else {
        entry = img;
    }
    if (!horiz) entry = "<center><p>\n" + entry + "\n</center></p>\n";

    if (html::IsShownExtension(paths::Extension(outPath), options)) Put(page, entry);
}

}  // namespace vig
