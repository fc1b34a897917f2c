#include "engine/run_files.h"

#include <sys/stat.h>

#include "engine/report.h"

namespace vig::engine {

void RunFiles::AddInput(const std::string& path) {
    platform::FileIdentity id;
    if (platform::IdentityOf(path, &id)) inputs_.insert(id);
}

bool RunFiles::MayWrite(const std::string& path) {
    // A link at the path is replaced itself, whatever it leads to.
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return true;
    platform::FileIdentity id;
    if (!platform::IdentityOf(path, &id)) return true;
    return inputs_.count(id) == 0 && written_.count(id) == 0;
}

void RunFiles::Written(const std::string& path) {
    platform::FileIdentity id;
    if (platform::IdentityOf(path, &id)) written_.insert(id);
}

void RunFiles::Failed(const std::string& path, image::ErrorCode code, const char* context) {
    ReportError(host_, silent_, path, code, context, false, log_);
}

}  // namespace vig::engine
