#include "platform/profile_store.h"

#include <cerrno>
#include <cstdlib>

namespace vig {

bool ParseStoredInteger(const std::string& text, long long* out) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(start, &end, 10);
    if (errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return false;
    *out = value;
    return true;
}

long long MemoryProfileStore::ReadInt(const std::string& name, long long fallback) {
    const auto it = values_.find(name);
    if (it == values_.end()) return fallback;
    long long v = 0;
    return ParseStoredInteger(it->second, &v) ? v : fallback;
}

void MemoryProfileStore::WriteInt(const std::string& name, long long value) {
    values_[name] = std::to_string(value);
}

std::string MemoryProfileStore::ReadString(const std::string& name, const std::string& fallback) {
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

void MemoryProfileStore::WriteString(const std::string& name, const std::string& value) {
    values_[name] = value;
}

}  // namespace vig
