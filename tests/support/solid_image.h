// Images of one colour, for tests.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "image/cpx_image.h"

namespace vig::test {

// Makes `image` an RGB image of w x h pixels, all of colour c.
inline void FillSolid(image::CPxImage& image, int w, int h, image::PackedColour c) {
    image::PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(w, h));
    for (size_t i = 0; i < block.size(); i += 3) {
        block.data()[i] = c & 0xFF;
        block.data()[i + 1] = (c >> 8) & 0xFF;
        block.data()[i + 2] = (c >> 16) & 0xFF;
    }
    image.Adopt(std::move(block), w, h);
}

}  // namespace vig::test
