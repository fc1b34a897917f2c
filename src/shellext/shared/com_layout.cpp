#include "shellext/shared/com_layout.h"

#include <cstdio>

namespace vig::shell {

std::string GuidToString(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                  static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                  g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool GuidFromString(const std::string& text, GUID* guid) {
    // {8-4-4-4-12}: 38 characters, hexadecimal digits between the dashes.
    static constexpr int kDigitCounts[] = {8, 4, 4, 4, 12};
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    uint8_t bytes[16] = {};
    size_t pos = 1, byte = 0;
    for (int group = 0; group < 5; ++group) {
        if (group > 0 && text[pos++] != '-') return false;
        for (int d = 0; d < kDigitCounts[group]; d += 2, pos += 2) {
            int value = 0;
            for (int k = 0; k < 2; ++k) {
                const char c = text[pos + static_cast<size_t>(k)];
                const int v = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
                if (v < 0) return false;
                value = value * 16 + v;
            }
            bytes[byte++] = static_cast<uint8_t>(value);
        }
    }
    guid->Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                  (uint32_t{bytes[2]} << 8) | bytes[3];
    guid->Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    guid->Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(guid->Data4, bytes + 8, 8);
    return true;
}

void ReleaseStgMedium(STGMEDIUM* medium) {
    if (medium == nullptr) return;
    if (medium->pUnkForRelease != nullptr) medium->pUnkForRelease->Release();
    medium->pUnkForRelease = nullptr;
    medium->hGlobal = nullptr;
    medium->tymed = 0;
}

}  // namespace vig::shell
