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
    image::ErrorCode code = image::ErrNone;
    bool ok() const { return !rgb.empty(); }
};

using FileReader = image::PixelBlock (*)(const std::string&, int*, int*);
using MemoryReader = image::PixelBlock (*)(const uint8_t*, size_t, int*, int*, size_t);

Decoded ReadWith(FileReader reader, const std::string& path);
Decoded ReadBytes(MemoryReader reader, const std::vector<uint8_t>& bytes);

// A file a reader must refuse with `code`, leaving the size 0 x 0.
struct Refusal {
    std::string what;
    std::vector<uint8_t> bytes;
    image::ErrorCode code;
};
void ExpectRefused(MemoryReader reader, const std::vector<Refusal>& cases);

// Deterministic pseudo-random bytes.
std::vector<uint8_t> NoiseBytes(size_t n, uint32_t seed, int modulo = 256);

// Records the progress calls while it lives; a call with row == cancelAt
// answers 0.
class ProgressRecorder {
public:
    explicit ProgressRecorder(int cancelAt = -1);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    std::vector<std::pair<int, int>> calls;

private:
    image::ProgressCallback previous_;
    int cancelAt_;
};

}  // namespace vig::test
