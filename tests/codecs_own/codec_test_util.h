// Helpers shared by the tests of the BMP, PCX and GIF codecs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/error_codes.h"
#include "image/image_library.h"
#include "image/pixel_block.h"

namespace vig::test {

// What a reader gave back.
struct Decoded {
    std::vector<uint8_t> rgb;  // empty when the read failed
    int width = 0;
    int height = 0;
    ErrorCode code = ErrNone;
    bool ok() const { return !rgb.empty(); }
};

using FileReader = PixelBlock (*)(const std::string&, int*, int*);
using MemoryReader = PixelBlock (*)(const uint8_t*, size_t, int*, int*, size_t);

Decoded ReadWith(FileReader reader, const std::string& path);
Decoded ReadBytes(MemoryReader reader, const std::vector<uint8_t>& bytes);

// Deterministic pseudo-random bytes.
std::vector<uint8_t> NoiseBytes(size_t n, uint32_t seed, int modulo = 256);

// The RGB pixel at (x, y) as a printable text.
std::string PixelText(const std::vector<uint8_t>& rgb, int width, int x, int y);

// Records the progress calls; a call with row == cancelAt answers 0.
class ProgressRecorder {
public:
    explicit ProgressRecorder(int cancelAt = -1);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    std::vector<std::pair<int, int>> calls;

private:
    static int Callback(int row, int total);
    ProgressCallback previous_;
    int cancelAt_;
};

}  // namespace vig::test
