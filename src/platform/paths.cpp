#include "platform/paths.h"

namespace vig::paths {

std::string Directory(std::string_view path) {
    const auto pos = path.rfind(kSeparator);
    if (pos == std::string_view::npos) return {};
    return std::string(path.substr(0, pos));
}

std::string FileName(std::string_view path) {
    const auto pos = path.rfind(kSeparator);
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string Title(std::string_view path) {
    const std::string name = FileName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return name;
    return name.substr(0, dot);
}

std::string WithoutExtension(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    return std::string(path.substr(0, dot));
}

std::string Extension(std::string_view path) {
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    return std::string(path.substr(dot));
}

std::string StripTrailingSeparator(std::string_view path) {
    if (!path.empty() && path.back() == kSeparator) path.remove_suffix(1);
    return std::string(path);
}

std::string Join(std::string_view a, std::string_view b) {
    std::string out;
    out.reserve(a.size() + 1 + b.size());
    out.append(a);
    out.push_back(kSeparator);
    out.append(b);
    return out;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

namespace {

// Sort key of one byte: letters folded to lower case, then byte order, with
// the separator ranked just before the backslash (after the digits, before
// the letters), where the platform the program comes from sorts it: folder
// X0 comes before X's child X/Y.
int SortKey(char c) {
    if (c == kSeparator) return '\\' * 2;
    return static_cast<unsigned char>(FoldCase(c)) * 2 + 1;
}

}  // namespace

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const int ca = SortKey(a[i]);
        const int cb = SortKey(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = FoldCase(c);
    return out;
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace vig::paths

namespace vig::paths {

std::string RelativePath(std::string_view target, std::string_view base) {
    const size_t n = target.size() < base.size() ? target.size() : base.size();
    size_t cut = std::string_view::npos;  // last separator of the common prefix
    for (size_t i = 0; i < n && target[i] == base[i]; ++i)
        if (target[i] == kSeparator) cut = i;
    if (cut == std::string_view::npos) return {};
    target.remove_prefix(cut + 1);
    base.remove_prefix(cut + 1);
    std::string out;
    for (const char c : base)
        if (c == kSeparator) {
            out += "..";
            out += kSeparator;
        }
    out.append(target);
    return out;
}

std::string ToUrlSlashes(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == kSeparator) c = '/';
    return out;
}

}  // namespace vig::paths
