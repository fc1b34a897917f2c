#include "platform/system.h"

#include <sched.h>
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
        if (static_cast<size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<size_t>(n));
        if (buf.size() > (1u << 20)) return {};
        buf.resize(buf.size() * 2);
    }
}

int ProcessorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0) return n;
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}

bool HasDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace vig::platform
