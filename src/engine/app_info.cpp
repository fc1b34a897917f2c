#include "engine/app_info.h"

namespace vig::engine {

const char* VersionText() {
    return VIG_VERSION_TEXT;
}

std::string ApplicationTitle(const std::string& version) {
    std::string v = version;
    for (char& c : v)
        if (c == ',') c = '.';
    const auto first = v.find('.');
    if (first != std::string::npos) {
        const auto second = v.find('.', first + 1);
        if (second != std::string::npos) v.resize(second);
    }
    return "Vignettor v" + v;
}

}  // namespace vig::engine
