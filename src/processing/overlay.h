// Where an overlay goes on a thumbnail and how large it is drawn, and the
// background matte that centres an image in a box.
// Status results: 0 success, 5 bad arguments.
#pragma once

#include <cstdint>

namespace vig::processing {

// The overlay's drawn size and its top-left corner on the thumbnail.
struct OverlayPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Places an overlayWidth x overlayHeight overlay on a thumbWidth x
// thumbHeight thumbnail at position code 1..13 (any other code counts as 2,
// bottom centre). Without sizeToFit the overlay keeps its size and its corner
// is a third point of the thumbnail. With it the overlay is fitted, keeping
// its aspect and never enlarged, into a box of a third of the thumbnail
// (the strips 10..13 take the full width or height) and aligned to the
// thumbnail's edges; a fitted side never drops below 1 pixel.
OverlayPlacement PlaceOverlay(int position, bool sizeToFit, int thumbWidth, int thumbHeight,
                              int overlayWidth, int overlayHeight);

// Centres the width x height image src on a boxWidth x boxHeight buffer dst
// filled with colour (0x00BBGGRR); an image larger than the box in a
// direction is cut evenly on that side. The corner is
// ((boxWidth - width) / 2, (boxHeight - height) / 2), truncated toward zero.
int MatteImage(const uint8_t* src, int width, int height, uint8_t* dst, int boxWidth, int boxHeight,
               uint32_t colour);

}  // namespace vig::processing
