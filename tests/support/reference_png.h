// Reference images for conformance tests, read with libpng's simplified
// interface (independent of the program's own PNG reader).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vig::test {

struct ReferenceImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // 4 bytes per pixel, rows top first

    // The RGB bytes (alpha dropped), as the image object lays them out.
    std::vector<uint8_t> Rgb() const;
};

// False when the file cannot be read as PNG.
bool LoadReferencePng(const std::string& path, ReferenceImage* out);

}  // namespace vig::test
