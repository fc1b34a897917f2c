#include "documents/writing.h"

#include "platform/files.h"

namespace vig::documents {
namespace {

class OpenGuard final : public DocumentGuard {
public:
    bool MayWrite(const std::string&) override { return true; }
    void Written(const std::string&) override {}
    void Failed(const std::string&, image::ErrorCode, const char*) override {}
};

}  // namespace

DocumentGuard& NoGuard() {
    static OpenGuard guard;
    return guard;
}

DocumentFile::DocumentFile(DocumentGuard& guard, const char* context)
    : guard_(guard), context_(context), pending_(std::make_unique<platform::PendingFile>()) {}

DocumentFile::~DocumentFile() = default;

bool DocumentFile::Open(const std::string& path) {
    pending_->Abandon();
    file_ = nullptr;
    path_ = path;
    // A folder, pipe or device standing at the path is never replaced: such
    // a page cannot be made at all (and no other page links to it).
    if (path.empty() || !platform::MayReplace(path) || !pending_->Begin(path) ||
        (file_ = pending_->stream()) == nullptr) {
        pending_->Abandon();
        file_ = nullptr;
        guard_.Failed(path, image::ErrOpenFile, context_);
        return false;
    }
    return true;
}

bool DocumentFile::Close() {
    if (file_ == nullptr) return false;
    file_ = nullptr;
    if (!guard_.MayWrite(path_)) {
        pending_->Abandon();
        guard_.Failed(path_, image::ErrWouldReplace, context_);
        return false;
    }
    if (pending_->Commit() != platform::PendingFile::Result::Done) {
        guard_.Failed(path_, image::ErrWriteFile, context_);
        return false;
    }
    guard_.Written(path_);
    return true;
}

}  // namespace vig::documents
