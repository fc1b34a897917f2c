// What every document writer shares: how a switch of the settings is read
// and how a text is written.
#pragma once

#include <cstdio>
#include <string_view>

namespace vig::documents {

// A switch counts as on only when it holds exactly 1.
inline bool On(int flag) {
    return flag == 1;
}

inline void Put(std::FILE* file, std::string_view text) {
    if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file);
}

}  // namespace vig::documents
