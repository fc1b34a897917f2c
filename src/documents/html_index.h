// Index files over the thumbnail pages of a run, and the source page that
// shows one input image at its full size.
#pragma once

#include <string>
#include <vector>

#include "documents/writing.h"
#include "options/batch_options.h"

namespace vig::documents {

// At the end of a run: the sub-folder indexes and their master index with
// HTMLMakeSingleIndex, else the master index over the pages. An index whose
// name is that of a page of the run, or that the guard forbids, is not
// written (as if it could not be created), so a page named like an index is
// never replaced.
void WriteIndexes(const std::vector<std::string>& pageList, const std::string& rootFolder,
                  const options::HtmlOptions& options,
                  documents::DocumentGuard& guard = documents::NoGuard());
// "index" + extension in rootFolder, one link per file of the list.
void WriteMasterIndex(const std::vector<std::string>& fileList, const std::string& rootFolder,
                      const options::HtmlOptions& options,
                      documents::DocumentGuard& guard = documents::NoGuard());
// "_index" + extension in every folder that holds pages, then the master
// index over those files. Nothing at all for an empty list.
void WriteFolderIndexes(const std::vector<std::string>& pageList, const std::string& rootFolder,
                        const options::HtmlOptions& options,
                        documents::DocumentGuard& guard = documents::NoGuard());

// Where the source page of inPath goes: beside the input image (source page
// mode 1) or beside its thumbnail outPath (mode 2).
std::string SourcePagePath(const std::string& inPath, const std::string& outPath,
                           const options::HtmlOptions& options);
// Writes the source page: backLink leads back to the thumbnail page,
// imageSource is the link to the input image inPath (both with '/'
// separators, not yet escaped). False when the file cannot be created.
bool WriteSourcePage(const std::string& sourcePagePath, const std::string& backLink,
                     const std::string& imageSource, const std::string& inPath,
                     const options::HtmlOptions& options,
                     documents::DocumentGuard& guard = documents::NoGuard());
// The source page of inPath for the thumbnail page pagePath, with the links
// worked out for the mode of HTMLMakeSrcPages.
bool WriteSourcePageFor(const std::string& sourcePagePath, const std::string& inPath,
                        const std::string& pagePath, const options::HtmlOptions& options,
                        documents::DocumentGuard& guard = documents::NoGuard());

}  // namespace vig::documents
