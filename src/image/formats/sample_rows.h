// Rows of decoded samples turned into the 8-bit RGB rows readers deliver:
// samples of more than 8 bits reduced with rounding, alpha composited over
// a background. Shared by the readers whose libraries hand over whole RGB
// or RGBA pictures (HEIF, WebP).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/png_state.h"

namespace vig::image {

struct SampleBackground {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
};

// The library background (PngGetBackground), 8 bits a channel: the colour
// transparent pixels of every format are composited over.
inline SampleBackground LibraryBackground() {
    const PngBackground b = PngGetBackground();
    const auto clamp = [](uint16_t v) { return static_cast<uint32_t>(std::min<uint16_t>(v, 255)); };
    return {clamp(b.red), clamp(b.green), clamp(b.blue)};
}

// The layout of the samples of one row.
struct SampleLayout {
    int channels = 3;            // 3 (RGB) or 4 (RGBA, alpha last)
    int bytesPerSample = 1;      // 1, or 2 little-endian
    uint32_t max = 255;          // the largest sample value: 2^bits - 1
    bool premultiplied = false;  // colours already multiplied by alpha
};

namespace sample_rows_detail {

template <int kBytes>
inline uint32_t Sample(const uint8_t* p) {
    if constexpr (kBytes == 1)
        return p[0];
    else
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

// One row at a known largest value, so that the divisions are by constants
// once inlined.
template <int kBytes, bool kAlpha>
inline void Convert(const uint8_t* src, size_t count, uint64_t max, bool premultiplied,
                    const SampleBackground& bg, uint8_t* dst) {
    constexpr int kChannels = kAlpha ? 4 : 3;
    const uint32_t back[3] = {bg.red, bg.green, bg.blue};
    for (size_t i = 0; i < count; ++i, src += kChannels * kBytes, dst += 3) {
        if constexpr (!kAlpha) {
            for (int c = 0; c < 3; ++c) {
                const uint64_t v = std::min<uint64_t>(Sample<kBytes>(src + c * kBytes), max);
                dst[c] = static_cast<uint8_t>((v * 255 + max / 2) / max);
            }
        } else {
            const uint64_t a = std::min<uint64_t>(Sample<kBytes>(src + 3 * kBytes), max);
            for (int c = 0; c < 3; ++c) {
                const uint64_t v = std::min<uint64_t>(Sample<kBytes>(src + c * kBytes), max);
                uint64_t out = 0;
                if (premultiplied)
                    out = (v * 255 + back[c] * (max - a) + max / 2) / max;
                else
                    out = (v * a * 255 + back[c] * (max - a) * max + max * max / 2) / (max * max);
                dst[c] = static_cast<uint8_t>(std::min<uint64_t>(out, 255));
            }
        }
    }
}

template <int kBytes, bool kAlpha>
inline void ConvertAtDepth(const uint8_t* src, size_t count, uint32_t max, bool premultiplied,
                           const SampleBackground& bg, uint8_t* dst) {
    switch (max) {
        case 255:
            Convert<kBytes, kAlpha>(src, count, 255, premultiplied, bg, dst);
            break;
        case 1023:
            Convert<kBytes, kAlpha>(src, count, 1023, premultiplied, bg, dst);
            break;
        case 4095:
            Convert<kBytes, kAlpha>(src, count, 4095, premultiplied, bg, dst);
            break;
        default:
            Convert<kBytes, kAlpha>(src, count, max, premultiplied, bg, dst);
            break;
    }
}

}  // namespace sample_rows_detail

// Converts `count` pixels of `src` into `count` RGB pixels at `dst`: each
// sample v (held to max) becomes (v * 255 + max / 2) / max; with alpha a,
// the colour is composited over `bg` with the same rounding:
// (v * a * 255 + bg * (max - a) * max + max^2 / 2) / max^2, or for
// premultiplied colours (v * 255 + bg * (max - a) + max / 2) / max.
inline void SamplesToRgb(const uint8_t* src, size_t count, const SampleLayout& layout,
                         const SampleBackground& bg, uint8_t* dst) {
    using namespace sample_rows_detail;
    const uint32_t max = layout.max == 0 ? 1 : layout.max;
    const bool alpha = layout.channels == 4;
    if (layout.bytesPerSample == 1 && !alpha && max == 255) {
        std::memcpy(dst, src, count * 3);
        return;
    }
    if (layout.bytesPerSample == 1) {
        if (alpha)
            ConvertAtDepth<1, true>(src, count, max, layout.premultiplied, bg, dst);
        else
            ConvertAtDepth<1, false>(src, count, max, layout.premultiplied, bg, dst);
    } else {
        if (alpha)
            ConvertAtDepth<2, true>(src, count, max, layout.premultiplied, bg, dst);
        else
            ConvertAtDepth<2, false>(src, count, max, layout.premultiplied, bg, dst);
    }
}

// Fills `count` RGB pixels with the background.
inline void FillBackground(uint8_t* dst, size_t count, const SampleBackground& bg) {
    for (size_t i = 0; i < count; ++i, dst += 3) {
        dst[0] = static_cast<uint8_t>(bg.red);
        dst[1] = static_cast<uint8_t>(bg.green);
        dst[2] = static_cast<uint8_t>(bg.blue);
    }
}

}  // namespace vig::image
