#include "engine/source_scan.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <new>
#include <set>
#include <utility>

#include "engine/engine_texts.h"
#include "engine/engine_util.h"
#include "engine/report.h"
#include "engine/run_host.h"
#include "image/codec_table.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig::engine {
namespace {

struct FolderId {
    uint64_t device;
    uint64_t inode;
};

void Pump(RunHost& host) {
    host.PumpMessages(kStatusPumpMilliseconds);
}

std::string FullPath(const std::string& sourceFolder, const std::string& relative) {
    return relative.empty() ? sourceFolder : paths::Join(sourceFolder, relative);
}

// Names equal ignoring case come in plain byte order, so a listing has one
// order whatever the platform's enumeration gives.
bool ListingOrder(const platform::DirEntry& a, const platform::DirEntry& b) {
    const int c = paths::CompareIgnoringCase(a.name, b.name);
    if (c != 0) return c < 0;
    return a.name < b.name;
}

bool ListSorted(const std::string& folder, std::vector<platform::DirEntry>* entries) {
    if (!platform::ListFolder(folder, entries)) return false;
    std::sort(entries->begin(), entries->end(), ListingOrder);
    return true;
}

bool Contains(const std::vector<FolderId>& ids, const platform::DirEntry& e) {
    return std::any_of(ids.begin(), ids.end(), [&](const FolderId& id) {
        return id.device == e.device && id.inode == e.inode;
    });
}

// The run's own output folders below the source folder, which a recursive
// walk leaves out (else every run would make thumbnails of the thumbnails
// of the last one): the output folder, when it is not the source folder
// itself, and with branch folders every folder at the branch path.
struct OwnFolders {
    bool hasOutput = false;
    platform::FileIdentity output;
    std::string branch;  // relative, without "./" or a trailing separator

    bool Contains(const std::string& relative, const platform::DirEntry& e) const {
        if (hasOutput && e.device == output.device && e.inode == output.inode) return true;
        if (branch.empty()) return false;
        if (relative == branch) return true;
        return relative.size() > branch.size() &&
               relative.compare(relative.size() - branch.size(), branch.size(), branch) == 0 &&
               relative[relative.size() - branch.size() - 1] == paths::kSeparator;
    }
};

OwnFolders OwnFoldersOf(const options::BatchOptions& options, const std::string& sourceFolder) {
    OwnFolders own;
    if (options::On(options.OutputBranchFromSrc)) {
        std::string branch = options.OutputBranchPath;
        while (branch.rfind("./", 0) == 0) branch.erase(0, 2);
        while (!branch.empty() && branch.back() == paths::kSeparator) branch.pop_back();
        own.branch = branch;
    } else {
        platform::FileIdentity source;
        own.hasOutput = platform::IdentityOf(options.MainDestPath, &own.output) &&
                        !(platform::IdentityOf(sourceFolder, &source) && source == own.output);
    }
    return own;
}

// `entered` holds every folder entered so far: a link leads into a folder
// only the first time, so links between sibling folders cannot make the
// walk grow with every order in which they can be followed.
void Collect(RunHost& host, const std::string& sourceFolder, const OwnFolders& own,
             std::vector<std::string>* list, const std::string& start,
             std::vector<FolderId>* ancestors, std::set<std::pair<uint64_t, uint64_t>>* entered) {
    Pump(host);
    std::vector<platform::DirEntry> entries;
    if (!ListSorted(FullPath(sourceFolder, start), &entries)) return;
    for (const platform::DirEntry& e : entries) {
        if (e.kind != platform::EntryKind::Folder) continue;
        // A link back up the tree: entering it never ends.
        if (Contains(*ancestors, e)) continue;
        if (e.link && entered->count({e.device, e.inode}) != 0) continue;
        const std::string path = start.empty() ? e.name : paths::Join(start, e.name);
        if (own.Contains(path, e)) continue;
        ancestors->push_back({e.device, e.inode});
        entered->insert({e.device, e.inode});
        Collect(host, sourceFolder, own, list, path, ancestors, entered);
        ancestors->pop_back();
        list->push_back(path);
    }
}

bool PassesDateTest(const options::BatchOptions& options, int64_t modified) {
    const int64_t d = modified - options.OutputDateDate;
    return options::On(options.OutputDateFilterBefore) ? d < 0 : d > 0;
}

struct Found {
    std::string name;
    int64_t modified;
};

// The checks before a walk: a source folder that cannot be entered is
// reported by its name.
bool SourceUsable(RunHost& host, bool silent, const std::string& sourceFolder,
                  const char* context) {
    std::string current;
    if (!platform::CurrentFolder(&current)) {
        ReportError(host, silent, "", image::ErrGetCurrentFolder, context, false, nullptr);
        return false;
    }
    if (!platform::CanEnterFolder(sourceFolder)) {
        ReportError(host, silent, sourceFolder, image::ErrChangeFolder, context, false, nullptr);
        return false;
    }
    return true;
}

void SortFolder(const options::BatchOptions& options, std::vector<Found>* found) {
    const bool descending = options::On(options.OutputSortFilesDescending);
    if (options.OutputSortFiles == options::ByDate) {
        std::stable_sort(found->begin(), found->end(),
                         [descending](const Found& a, const Found& b) {
                             return descending ? b.modified < a.modified : a.modified < b.modified;
                         });
    } else if (options.OutputSortFiles == options::Alphabetic) {
        std::stable_sort(found->begin(), found->end(),
                         [descending](const Found& a, const Found& b) {
                             return descending ? LessIgnoringCase(b.name, a.name)
                                               : LessIgnoringCase(a.name, b.name);
                         });
    }
}

}  // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name) {
    // Greedy matching with one backtrack point: linear in practice, never
    // exponential.
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || paths::FoldCase(pattern[p]) == paths::FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return paths::CompareIgnoringCase(a, b) < 0;
}

void CollectSubfolders(RunHost& host, const options::BatchOptions& options,
                       const std::string& sourceFolder, std::vector<std::string>* list,
                       const std::string& start) {
    std::vector<FolderId> ancestors;
    FolderId top{};
    if (platform::FolderIdentity(FullPath(sourceFolder, start), &top.device, &top.inode))
        ancestors.push_back(top);
    std::set<std::pair<uint64_t, uint64_t>> entered;
    for (const FolderId& id : ancestors) entered.insert({id.device, id.inode});
    Collect(host, sourceFolder, OwnFoldersOf(options, sourceFolder), list, start, &ancestors,
            &entered);
}

namespace {

// Every folder below the source folder in folder order; running out of
// memory is reported and keeps what was collected.
std::vector<std::string> SortedSubfolders(RunHost& host, const options::BatchOptions& options,
                                          bool silent, const std::string& sourceFolder) {
    std::vector<std::string> folders;
    try {
        CollectSubfolders(host, options, sourceFolder, &folders);
    } catch (const std::bad_alloc&) {
        ReportError(host, silent, "", image::ErrOutOfMemory, texts::kContextGetSubdirs, true,
                    nullptr);
    }
    folders.shrink_to_fit();
    std::stable_sort(folders.begin(), folders.end(), LessIgnoringCase);
    return folders;
}

}  // namespace

std::vector<int> FilteredInputFormats(const options::BatchOptions& options) {
    const std::pair<int, int options::BatchOptions::*> flags[] = {
        {image::InputJpeg, &options::BatchOptions::OutputFilterJPG},
        {image::InputBmp, &options::BatchOptions::OutputFilterBMP},
        {image::InputPng, &options::BatchOptions::OutputFilterPNG},
        {image::InputGif, &options::BatchOptions::OutputFilterGIF},
        {image::InputTiff, &options::BatchOptions::OutputFilterTIF},
        {image::InputPcx, &options::BatchOptions::OutputFilterPCX},
        {image::InputHeif, &options::BatchOptions::OutputFilterHEIF},
        {image::InputAvif, &options::BatchOptions::OutputFilterAVIF},
        {image::InputWebp, &options::BatchOptions::OutputFilterWEBP},
    };
    std::vector<int> formats;
    for (const auto& [format, flag] : flags)
        if (options::On(options.*flag)) formats.push_back(format);
    return formats;
}

void ScanSourceFolder(RunHost& host, const options::BatchOptions& options,
                      const std::string& sourceFolder, FileList* list, bool recurse,
                      const std::string& nameFilter, const std::vector<int>& formats) {
    const bool silent = options::On(options.OpsSilentOperation);
    list->clear();
    if (!SourceUsable(host, silent, sourceFolder, texts::kContextFindFiles)) return;
    ShowStepText(host, texts::Tr(texts::kScanningForImages));

    std::vector<std::string> folders;
    if (recurse) folders = SortedSubfolders(host, options, silent, sourceFolder);
    folders.push_back(".");

    // One search per reader's extension, in the table's order.
    std::vector<std::pair<const char*, bool>> searches;
    for (const image::ExtensionEntry& e : image::ReaderExtensions())
        searches.emplace_back(e.extension + 1, std::find(formats.begin(), formats.end(),
                                                         e.inputFormat) != formats.end());
    const bool dateFilter = options::On(options.OutputDateFilter);
    std::vector<platform::DirEntry> entries;
    std::vector<Found> found;
    for (const std::string& folder : folders) {
        const bool top = folder == ".";
        const std::string prefix = top ? "" : folder + paths::kSeparator;
        found.clear();
        const bool listed =
            ListSorted(top ? sourceFolder : paths::Join(sourceFolder, folder), &entries);
        for (size_t k = 0; k < searches.size(); ++k) {
            const auto& [ext, enabled] = searches[k];
            if (!enabled) continue;
            if (listed) {
                try {
                    const std::string pattern = nameFilter + "." + ext;
                    for (const platform::DirEntry& e : entries) {
                        if (e.kind != platform::EntryKind::File) continue;
                        if (!MatchesWildcard(pattern, e.name)) continue;
                        if (dateFilter && !PassesDateTest(options, e.modified)) continue;
                        found.push_back({prefix + e.name, e.modified});
                    }
                } catch (const std::bad_alloc&) {
                    ReportError(host, silent, "", image::ErrOutOfMemory,
                                texts::kContextFindFilesByExt, true, nullptr);
                }
            }
            if (k < 2) Pump(host);  // after the bmp and the png search
        }
        SortFolder(options, &found);
        for (Found& f : found) list->push_back(std::move(f.name));
        Pump(host);
    }
    list->shrink_to_fit();
    ShowStepText(host, texts::FoundFiles(list->size()));
}

bool CreateOutputTree(RunHost& host, const options::BatchOptions& options,
                      const std::string& sourceFolder, const std::string& outputFolder) {
    const bool silent = options::On(options.OpsSilentOperation);
    if (!SourceUsable(host, silent, sourceFolder, texts::kContextCreateTree)) return false;
    ShowStepText(host, texts::Tr(texts::kReadingSourceTree));
    const std::vector<std::string> folders = SortedSubfolders(host, options, silent, sourceFolder);

    ShowStepText(host, texts::Tr(texts::kCreatingDestTree));
    for (const std::string& folder : folders) {
        const std::string path = paths::Join(outputFolder, folder);
        if (platform::CreateFolder(path) == platform::CreateFolderResult::Failed) {
            ReportError(host, silent, path, image::ErrCreateOutputDir, texts::kContextCreateTree,
                        false, nullptr);
            break;
        }
        ShowDetailText(host, path);
    }
    return true;
}

}  // namespace vig::engine
