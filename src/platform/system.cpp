#include "platform/system.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace vig::platform {

std::string TempFolder() {
    const char* env = std::getenv("TMPDIR");
    if (env != nullptr && env[0] != '\0') return env;
    return "/tmp";
}

std::string ProgramPath() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) return {};
        if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
        if (buf.size() > (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

}  // namespace vig::platform
