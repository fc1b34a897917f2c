// Index files over the thumbnail pages of a run, and source pages.
#include "documents/html_index.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "documents/html_pages.h"
#include "documents/html_text.h"
#include "image/codec_table.h"
#include "platform/paths.h"

namespace vig::documents {
namespace {

using html::Put;

constexpr char kIndexTitle[] = "<TITLE>Index</TITLE>\n";
constexpr char kIndexMeta[] =
    "<meta name=\"generator\" content=\"index to thumbnail pages\">\n</head>\n";
constexpr char kIndexHeading[] = "<center>Master Index</center>\n";
constexpr char kIndexEnd[] = "</center></body></html>\n";
constexpr char kSourceMeta[] = "<meta name=\"generator\" content=\"thumbnail\">\n</head>\n";

// A folder as index names use it: one trailing separator removed, except
// from the root itself.
std::string RootFolderText(const std::string& folder) {
    if (folder.size() == 1 && folder[0] == paths::kSeparator) return folder;
    return paths::StripTrailingSeparator(folder);
}

// An index is never written over a page of the run (pages named like an
// index file): it counts as an index that cannot be created.
bool IsPageOfRun(const std::string& path, const std::vector<std::string>& pages) {
    const std::string full = html::FullForm(path);
    return std::any_of(pages.begin(), pages.end(),
                       [&](const std::string& page) { return html::FullForm(page) == full; });
}

using Document = std::unique_ptr<documents::DocumentFile>;

Document CreateIndex(const std::string& path, const std::vector<std::string>& pages,
                     const options::HtmlOptions& options, documents::DocumentGuard& guard) {
    auto index = std::make_unique<documents::DocumentFile>(guard, documents::kContextWriteIndex);
    if (IsPageOfRun(path, pages)) {
        guard.Failed(path, image::ErrWouldReplace, documents::kContextWriteIndex);
        return nullptr;
    }
    if (!index->Open(path)) return nullptr;
    std::FILE* file = index->file();
    Put(file, html::kDoctype);
    Put(file, kIndexTitle);
    Put(file, kIndexMeta);
    WriteBodyTag(file, options);
    Put(file, kIndexHeading);
    return index;
}

// False when the index could not be put in place.
bool CloseIndex(Document index, const options::HtmlOptions& options) {
    Put(index->file(), kIndexEnd);
    WriteFooter(index->file(), options);
    return index->Close();
}

void WriteIndexEntry(std::FILE* file, const std::string& link, int n) {
    Put(file, " <a href=\"" + html::Url(link) + "\">Page " + std::to_string(n) + "</a> ");
}

void WriteMasterIndexOver(const std::vector<std::string>& fileList, const std::string& rootFolder,
                          const std::vector<std::string>& pages,
                          const options::HtmlOptions& options, documents::DocumentGuard& guard) {
    const std::string root = RootFolderText(rootFolder);
    Document index =
        CreateIndex(html::InFolder(root, "index" + HtmlExtension(options)), pages, options, guard);
    if (!index) return;
    std::FILE* file = index->file();
    Put(file, html::kGeneratedBy);
    WriteHeader(file, options);
    Put(file, html::kCenter);

    // Each link goes from the root (taken with a trailing separator) to the
    // file's folder, then names the file: a page in the root itself gets a
    // link that climbs out of the root and back in.
    const std::string base = html::InFolder(RootFolderText(html::FullForm(root)), "");
    int n = 0;
    for (const std::string& page : fileList) {
        const std::string folder = html::FolderOf(html::FullForm(page));
        const std::string link = paths::ToUrlSlashes(paths::RelativePath(folder, base)) + "/" +
                                 paths::ToUrlSlashes(paths::FileName(page));
        WriteIndexEntry(file, link, n++);
    }
    CloseIndex(std::move(index), options);
}

}  // namespace

void WriteIndexes(const std::vector<std::string>& pageList, const std::string& rootFolder,
                  const options::HtmlOptions& options, documents::DocumentGuard& guard) {
    if (options::On(options.HTMLMakeSingleIndex))
        WriteFolderIndexes(pageList, rootFolder, options, guard);
    else
        WriteMasterIndex(pageList, rootFolder, options, guard);
}

void WriteMasterIndex(const std::vector<std::string>& fileList, const std::string& rootFolder,
                      const options::HtmlOptions& options, documents::DocumentGuard& guard) {
    WriteMasterIndexOver(fileList, rootFolder, fileList, options, guard);
}

void WriteFolderIndexes(const std::vector<std::string>& pageList, const std::string& rootFolder,
                        const options::HtmlOptions& options, documents::DocumentGuard& guard) {
    if (pageList.empty()) return;

    // Full paths ascending, ignoring letter case (page numbers sort as text:
    // Thumbs10 before Thumbs2); paths equal that way keep their order.
    std::vector<std::string> sorted = pageList;
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return paths::CompareIgnoringCase(a, b) < 0;
    });
    // Pages of one folder stay together, in the place where the folder first
    // comes: a folder whose pages the sort splits (a sub-folder named like a
    // page, folders differing in case) still gets one complete index.
    std::vector<std::vector<std::string>> groups;
    std::unordered_map<std::string, size_t> groupOf;
    for (const std::string& page : sorted) {
        const auto [it, added] = groupOf.try_emplace(html::FolderOf(page), groups.size());
        if (added) groups.emplace_back();
        groups[it->second].push_back(page);
    }
    std::vector<std::string> grouped;
    grouped.reserve(sorted.size());
    for (auto& group : groups)
        for (auto& page : group) grouped.push_back(std::move(page));

    const std::string indexName = "_index" + HtmlExtension(options);
    std::vector<std::string> indexFiles;
    std::string folder = html::FolderOf(grouped.front());
    std::string indexPath = html::InFolder(folder, indexName);
    Document index = CreateIndex(indexPath, pageList, options, guard);
    if (!index) return;
    indexFiles.push_back(indexPath);
    WriteHeader(index->file(), options);
    Put(index->file(), html::kCenter);
    int n = 1;
    for (const std::string& page : grouped) {
        const std::string pageFolder = html::FolderOf(page);
        if (pageFolder != folder) {
            // An index that could not be put in place ends the index
            // writing, as one that could not be created does.
            if (!CloseIndex(std::move(index), options)) return;
            folder = pageFolder;
            indexPath = html::InFolder(folder, indexName);
            index = CreateIndex(indexPath, pageList, options, guard);
            if (!index) return;
            indexFiles.push_back(indexPath);
            // Later index files have the centre tag before the header.
            Put(index->file(), html::kCenter);
            WriteHeader(index->file(), options);
            n = 1;
        }
        WriteIndexEntry(index->file(), paths::ToUrlSlashes(paths::FileName(page)), n++);
    }
    if (!CloseIndex(std::move(index), options)) return;
    WriteMasterIndexOver(indexFiles, rootFolder, pageList, options, guard);
}

std::string SourcePagePath(const std::string& inPath, const std::string& outPath,
                           const options::HtmlOptions& options) {
    const std::string& beside =
        options.HTMLMakeSrcPages == options::SourcePagesWithInput ? inPath : outPath;
    return html::InFolder(html::FolderOf(beside), paths::Title(inPath) + HtmlExtension(options));
}

bool WriteSourcePage(const std::string& sourcePagePath, const std::string& backLink,
                     const std::string& imageSource, const std::string& inPath,
                     const options::HtmlOptions& options, documents::DocumentGuard& guard) {
    documents::DocumentFile page(guard, documents::kContextWriteSourcePage);
    if (!page.Open(sourcePagePath)) return false;
    std::FILE* file = page.file();
    const std::string title = html::Text(paths::FileName(inPath));
    Put(file, html::kDoctype);
    Put(file, "<title>" + title + "</title>\n");
    Put(file, kSourceMeta);
    WriteBodyTag(file, options);
    WriteHeader(file, options);
    Put(file, html::kCenter);

    const std::string target = options.HTMLSourceTarget.empty()
                                   ? std::string()
                                   : " target=\"" + html::Text(options.HTMLSourceTarget) + "\"";
    const std::string font = html::FontTag(options.HTMLTextSize);
    const std::string back = html::Url(backLink);
    const std::string ext = paths::ToLowerAscii(paths::Extension(inPath));
    const bool known = image::InputFormatOf(ext) != image::InputNone;
    if (html::IsShownExtension(ext, options)) {
        const std::string img = "<img src=" + html::Url(imageSource, true) + " border=0>";
        if (options::On(options.HTMLWriteTitles))
            Put(file, "<center><p>\n" + font + "\n<a href=\"" + back + "\"" + target + ">" + img +
                          "</a><br>" + title + "\n</font>\n</center></p>\n");
        else
            Put(file, "<center><p>\n<a href=\"" + back + "\"" + target + ">" + img +
                          "</a></center></p>\n");
    } else if (known) {
        // A format the pages do not show: the image's path as text after an
        // empty link.
        Put(file, "<center><p>\n" + font + "\n<a href=\"" + back + "\">\n</a><br>" +
                      html::Text(imageSource) + "\n</font>\n</center></p>\n");
    }

    Put(file, html::kCenterEnd);
    WriteFooter(file, options);
    Put(file, html::kBodyEnd);
    return page.Close();
}

bool WriteSourcePageFor(const std::string& sourcePagePath, const std::string& inPath,
                        const std::string& pagePath, const options::HtmlOptions& options,
                        documents::DocumentGuard& guard) {
    const std::string backLink = html::Link(pagePath, sourcePagePath);
    const std::string imageSource = options.HTMLMakeSrcPages == options::SourcePagesWithInput
                                        ? paths::ToUrlSlashes(paths::FileName(inPath))
                                        : html::Link(inPath, sourcePagePath);
    return WriteSourcePage(sourcePagePath, backLink, imageSource, inPath, options, guard);
}

}  // namespace vig::documents
