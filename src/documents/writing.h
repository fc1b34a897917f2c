// What every document writer shares: how a text is written, and how a document reaches its place:
// written under no name, checked, and put at its path only when complete, with the run told of
// every document that could not be written.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "image/error_codes.h"
#include "options/enums.h"

namespace vig::platform {
class PendingFile;
}

namespace vig::documents {

inline void Put(std::FILE* file, std::string_view text) {
    if (!text.empty() && file != nullptr) std::fwrite(text.data(), 1, text.size(), file);
}

// Contexts of the reports about documents.
inline constexpr const char* kContextWritePage = "Write HTML page";
inline constexpr const char* kContextWriteIndex = "Write HTML index";
inline constexpr const char* kContextWriteSourcePage = "Write HTML source page";
inline constexpr const char* kContextWriteLog = "Write batch log";

// What a run lets its documents replace, and where it hears of those that
// could not be written.
class DocumentGuard {
public:
    virtual ~DocumentGuard() = default;
    // False when `path` names a file no document may replace: an input of
    // the run, or a file the run has written itself.
    virtual bool MayWrite(const std::string& path) = 0;
    // A document (or thumbnail) now stands at `path`.
    virtual void Written(const std::string& path) = 0;
    // A document could not be written.
    virtual void Failed(const std::string& path, image::ErrorCode code, const char* context) = 0;
};

// The guard outside a run: every path may be written, failures go unheard.
DocumentGuard& NoGuard();

// One document on its way to `path`. Nothing appears there until Close
// succeeds; an existing file stays as it was when anything fails.
class DocumentFile {
public:
    DocumentFile(DocumentGuard& guard, const char* context);
    ~DocumentFile();  // an unfinished document is thrown away
    DocumentFile(const DocumentFile&) = delete;
    DocumentFile& operator=(const DocumentFile&) = delete;

    // Starts the document; false (reported as code 2) when it cannot be made.
    bool Open(const std::string& path);
    // The stream to write to; nullptr when none is open.
    std::FILE* file() const { return file_; }
    const std::string& path() const { return path_; }
    // Puts the document in place, unless the guard forbids the path, a
    // write failed, or something other than a regular file or a link
    // stands there; each failure is reported. True when it was written.
    bool Close();

private:
    DocumentGuard& guard_;
    const char* context_;
    std::unique_ptr<platform::PendingFile> pending_;
    std::FILE* file_ = nullptr;
    std::string path_;
};

}  // namespace vig::documents
