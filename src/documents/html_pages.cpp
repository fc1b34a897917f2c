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

namespace vig::documents {
namespace {

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

std::string HexColour(options::Colour c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02x%02x%02x", options::ColourRed(c), options::ColourGreen(c),
                  options::ColourBlue(c));
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

std::string HtmlExtension(const options::HtmlOptions& options) {
    return options::On(options.HTMLExtHTML) ? ".html" : ".htm";
}

void WriteBodyTag(std::FILE* file, const options::HtmlOptions& options) {
    Put(file, "<body bgcolor=\"#" + HexColour(options.HTMLBackColor) + "\" link=\"#" +
                  HexColour(options.HTMLLinkColor) + "\" vlink=\"#" +
                  HexColour(options.HTMLVLinkColor) + "\" text=\"#" +
                  HexColour(options.HTMLTextColor) + "\">\n");
    Put(file, kGeneratedBy);
}

void WriteHeader(std::FILE* file, const options::HtmlOptions& options) {
    WriteInclude(file, options::On(options.HTMLUseHeaderPath), options.HTMLHeader,
                 options.HTMLHeaderPath, "header");
}

void WriteFooter(std::FILE* file, const options::HtmlOptions& options) {
    WriteInclude(file, options::On(options.HTMLUseFooterPath), options.HTMLFooter,
                 options.HTMLFooterPath, "footer");
}

void WritePageStart(std::FILE* file, const options::HtmlOptions& options) {
    Put(file, kDoctype);
    Put(file, kPageTitle);
    Put(file, kPageMeta);
    WriteBodyTag(file, options);
    WriteHeader(file, options);
    Put(file, kCenter);
    if (options::On(options.HTMLTable))
        Put(file, "<table border=" + std::to_string(options.HTMLBorderWidth) +
                      " cellspacing=0 cellpadding=5 width=\"90%\" >\n\n");
}

std::string PageName(const std::string& folder, int pageNumber,
                     const options::HtmlOptions& options) {
    std::string name = options.HTMLPath;
    if (pageNumber != 0 || !options::On(options.HTMLSuppressFirstNumber))
        name += std::to_string(pageNumber);
    name += HtmlExtension(options);
    return html::InFolder(folder, name);
}

bool IsRunPageName(const std::string& fileName, const options::HtmlOptions& options) {
    const std::string ext = HtmlExtension(options);
    if (fileName == "index" + ext || fileName == "_index" + ext) return true;
    const std::string& base = options.HTMLPath;
    if (fileName.size() < base.size() + ext.size() || fileName.compare(0, base.size(), base) != 0 ||
        fileName.compare(fileName.size() - ext.size(), ext.size(), ext) != 0)
        return false;
    const std::string number =
        fileName.substr(base.size(), fileName.size() - base.size() - ext.size());
    if (number.empty()) return options::On(options.HTMLSuppressFirstNumber);
    return std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

HtmlPageSeries::HtmlPageSeries(const options::BatchOptions& options,
                               documents::DocumentGuard& guard)
    : options_(options), guard_(guard) {}

// An open page at the end is thrown away: the run closes its last page
// itself.
HtmlPageSeries::~HtmlPageSeries() = default;

// Table columns and images per page below 1 count as 1: the row and page
// arithmetic divides by them. Columns stop at kMaxTableColumns: the last
// row of a page is filled with empty cells up to the last column, and a
// stored count in the billions would fill the disk.
int HtmlPageSeries::Columns() const {
    return std::clamp(options_.HTMLTableCols, 1, kMaxTableColumns);
}
int HtmlPageSeries::MaxImages() const {
    return std::max(1, options_.HTMLMaxImages);
}

std::unique_ptr<documents::DocumentFile> HtmlPageSeries::CreatePage() {
    auto page = std::make_unique<documents::DocumentFile>(guard_, documents::kContextWritePage);
    if (!page->Open(pagePath_)) page.reset();
    return page;
}

bool HtmlPageSeries::OpenPage(std::unique_ptr<documents::DocumentFile> page) {
    page_ = std::move(page);
    if (!page_) {
        pagePath_.clear();
        return false;
    }
    std::FILE* file = page_->file();
    pageList_.push_back(pagePath_);
    WritePageStart(file, options_);
    Put(file, kParagraph);
    if (options::On(options_.HTMLTable)) Put(file, kRowStart);
    return true;
}

void HtmlPageSeries::EndTable(const char* filler, const char* tableEnd) {
    const int cols = Columns();
    const int lastColumn = cellIndex_ < 0 ? -1 : cellIndex_ % cols;
    for (int c = lastColumn + 1; c < cols; ++c) Put(page(), filler);
    Put(page(), tableEnd);
}

void HtmlPageSeries::ClosePage() {
    Put(page(), kCenterEnd);
    WriteFooter(page(), options_);
    Put(page(), kBodyEnd);
    page_->Close();
    page_.reset();
}

void HtmlPageSeries::BeginPageForFile(const std::string& thumbnailPath, int fileIndex) {
    if (!options::On(options_.HTMLLog)) return;
    const std::string folder = html::FolderOf(thumbnailPath);
    const bool table = options::On(options_.HTMLTable);

    if (fileIndex == 0 && !page_ && pageList_.empty()) {
        pageDir_ = folder;
        pagePath_ = PageName(pageDir_, pageNumber_, options_);
        if (!OpenPage(CreatePage())) return;
    }
    if (!page_) return;

    const int cols = Columns();
    if (table && cellIndex_ > 0 && cellIndex_ % cols == cols - 1) {
        Put(page(), kRowBreak);
        Put(page(), kRowStart);
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
    Put(page(), kParagraphEnd);
    const bool fileLinks = options::On(options_.HTMLMakeFileLink);
    if (fileLinks && closedPages_ > 0)
        Put(page(), PageLink(html::Link(prevPagePath_, pagePath_), options_.HTMLPrevText) + "  |  ");

    const std::string closingPath = pagePath_;
    prevPagePath_ = pagePath_;
    ++closedPages_;
    ++pageNumber_;
    pagePath_ = PageName(pageDir_, pageNumber_, options_);

    // The next page is created before the closing page links to it, so a
    // page that cannot be created is never linked.
    std::unique_ptr<documents::DocumentFile> next = CreatePage();
    if (fileLinks && next)
        Put(page(), PageLink(html::Link(pagePath_, closingPath), options_.HTMLNextText));
    ClosePage();
    if (OpenPage(std::move(next))) cellIndex_ = 0;
}

void HtmlPageSeries::WriteErrorEntry(const std::string& inputFileName) {
    if (!page_ || !options::On(options_.HTMLTable)) return;
    Put(page(), "  <td>Error : " + html::Text(inputFileName) + "</td>\n\n");
}

void HtmlPageSeries::EndPageSeries(const std::string& rootFolder) {
    if (!options::On(options_.HTMLLog)) return;
    if (options::On(options_.HTMLMakeIndex)) WriteIndexes(pageList_, rootFolder, options_, guard_);
    if (!page_) return;
    if (options::On(options_.HTMLTable)) EndTable(kFillerLast, kTableEndLast);
    Put(page(), kParagraphEnd);
    if (options::On(options_.HTMLMakeFileLink) && !prevPagePath_.empty())
        Put(page(), PageLink(html::Link(prevPagePath_, pagePath_), options_.HTMLPrevText));
    ClosePage();
    pagePath_.clear();
}

void WriteThumbnailEntry(std::FILE* page, const std::string& outPath, const std::string& inPath,
                         int width, int height, const std::string& pagePath,
                         const options::BatchOptions& options, documents::DocumentGuard& guard) {
    if (page == nullptr) return;
    const std::string title = paths::FileName(outPath);

    const bool srcLink = options::On(options.HTMLMakeSrcLink);
    std::string target;
    if (srcLink) {
        target = html::Link(inPath, outPath);
        const int mode = options.HTMLMakeSrcPages;
        if (mode == options::SourcePagesWithInput || mode == options::SourcePagesWithOutput) {
            const std::string sourcePage = SourcePagePath(inPath, outPath, options);
            // A source page never takes the name of a page, an index or a
            // file the run has written (an input named like one); when it is
            // not written the entry links to the input image instead.
            if (html::FullForm(sourcePage) != html::FullForm(pagePath) &&
                !IsRunPageName(paths::FileName(sourcePage), options) &&
                guard.MayWrite(sourcePage) &&
                WriteSourcePageFor(sourcePage, inPath, pagePath, options, guard))
                target = html::Link(sourcePage, outPath);
        }
    }

    const std::string img =
        "<img src=\"" + html::Url(title) + "\" hspace=" + std::to_string(options.HTMLImageHSpace) +
        " vspace=" + std::to_string(options.HTMLImageVSpace) +
        " border=" + std::to_string(options.HTMLImageBorder) + " width=" + std::to_string(width) +
        " height=" + std::to_string(height) + ">";
    const bool horiz = options::On(options.HTMLImageHoriz);
    const std::string font = html::FontTag(options.HTMLTextSize);
    const std::string a = "<a href=\"" + html::Url(target) + "\">";
    const std::string nl = horiz ? "" : "\n";
    const std::string br = horiz ? "" : "<br>";
    const std::string name = html::Text(title);

    std::string entry;
    if (srcLink && options::On(options.HTMLWriteTitles)) {
        if (options::On(options.HTMLMakeTextLink))
            entry = font + nl + a + nl + img + br + name + "</a>" + "</font>";
        else
            entry = font + nl + a + nl + img + "</a>" + br + name + nl + "</font>";
    } else if (srcLink) {
        entry = a + nl + img + "</a>";
    } else if (options::On(options.HTMLWriteTitles)) {
        entry = font + nl + img + br + name + nl + "</font>";
    } else {
        entry = img;
    }
    if (!horiz) entry = "<center><p>\n" + entry + "\n</center></p>\n";

    if (html::IsShownExtension(paths::Extension(outPath), options)) Put(page, entry);
}

}  // namespace vig::documents
