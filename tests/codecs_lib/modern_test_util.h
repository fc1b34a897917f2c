// Helpers of the HEIF, AVIF and WebP reader tests: pictures made by the
// Debian encoders at test time, what the readers should deliver for the
// samples the reference decoders give, and loading through the image
// object with a background for alpha.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/cpx_image.h"
#include "support/encoder_tools.h"
#include "support/temp_dir.h"

namespace vig::test {

// The background transparent pixels go over in these tests (red 0x20,
// green 0x64, blue 0xC8), as the image object holds it.
inline constexpr image::PackedColour kTestBackground = 0x00C86420;
inline constexpr uint8_t kTestBack[3] = {0x20, 0x64, 0xC8};

// What a reader should deliver for the reference decoder's samples of a
// picture of `bits` bits (held in the top bits of 16-bit samples, as
// heif-convert writes them): each sample v of largest value m = 2^bits - 1
// reduced to round(v * 255 / m); with alpha a, round((v * a / m * 255 +
// bg * (m - a)) / m), halves up. Computed in floating point, apart from the
// readers' integer arithmetic.
inline std::vector<uint8_t> ExpectedRgb(const Samples& ref, int bits,
                                        const uint8_t* back = kTestBack) {
    const int shift = ref.depth == 16 ? 16 - bits : 0;
    const double m = static_cast<double>((1 << bits) - 1);
    std::vector<uint8_t> out;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const double a = ref.channels == 4 ? ref.At(x, y, 3) >> shift : m;
            for (int c = 0; c < 3; ++c) {
                const double v = ref.At(x, y, c) >> shift;
                const double value = (v * a * 255 + back[c] * (m - a) * m) / (m * m);
                out.push_back(static_cast<uint8_t>(std::floor(value + 0.5)));
            }
        }
    }
    return out;
}

// The largest difference between two equally long byte runs (256 when the
// lengths differ).
inline int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return 256;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

struct LoadedPicture {
    image::ErrorCode code = image::ErrNone;
    int width = 0;
    int height = 0;
    int inputFormat = 0;
    image::DecodeInfo info;
    std::vector<uint8_t> rgb;
};

// Loads through the image object with the test background.
inline LoadedPicture LoadPicture(const std::string& path, const image::DecodeHints& hints = {}) {
    image::CPxImage image;
    image.SetPngOptions(0.0, 2.2, "", "", false, false, kTestBackground);
    LoadedPicture p;
    p.code = image.Load(path, hints, &p.info);
    p.width = image.width();
    p.height = image.height();
    p.inputFormat = image.inputFormat();
    if (!image.empty())
        p.rgb.assign(image.data(), image.data() + size_t{3} * image.width() * image.height());
    return p;
}

}  // namespace vig::test
