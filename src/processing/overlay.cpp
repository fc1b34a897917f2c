#include "processing/overlay.h"

#include <algorithm>

#include "processing/compositing.h"

namespace vig::processing {
namespace {

int TruncSide(double v) {
    if (!(v >= 1.0)) return 1;  // also NaN
    if (v >= 2147483647.0) return 2147483647;
    return static_cast<int>(v);
}

// Per position code 1..13: the corner with "size to fit" as a place along
// each axis (0 the near edge, 1 centred, 2 against the far edge), and the
// corner without it as multiples of a third of the thumbnail.
struct Anchor {
    int fitX, fitY, thirdsX, thirdsY;
};
constexpr Anchor kAnchors[14] = {
    {1, 2, 1, 2},  // 0: not a code of its own, placed as 2
    {1, 0, 1, 0},  // 1 top centre
    {1, 2, 1, 2},  // 2 bottom centre
    {0, 1, 0, 1},  // 3 middle left
    {2, 1, 2, 1},  // 4 middle right
    {0, 0, 0, 0},  // 5 top left
    {2, 0, 2, 0},  // 6 top right
    {0, 2, 0, 2},  // 7 bottom left
    {2, 2, 2, 2},  // 8 bottom right
    {1, 1, 1, 1},  // 9 centre
    {0, 0, 0, 0},  // 10 top strip
    {0, 2, 0, 2},  // 11 bottom strip
    {0, 0, 0, 0},  // 12 left strip
    {2, 0, 2, 0},  // 13 right strip
};

int Along(int place, int thumb, int overlay) {
    return place == 0 ? 0 : place == 1 ? (thumb - overlay) / 2 : thumb - overlay;
}

}  // namespace

OverlayPlacement PlaceOverlay(int position, bool sizeToFit, int thumbWidth, int thumbHeight,
                              int overlayWidth, int overlayHeight) {
    const int W = thumbWidth;
    const int H = thumbHeight;
    if (position < 1 || position > 13) position = 2;
    const Anchor& a = kAnchors[position];
    OverlayPlacement p;
    if (!sizeToFit) {
        p.width = overlayWidth;
        p.height = overlayHeight;
        p.x = a.thirdsX * (W / 3);
        p.y = a.thirdsY * (H / 3);
        return p;
    }

    // The box the overlay is fitted into: never larger than the overlay.
    int boxWidth = std::min(W / 3, overlayWidth);
    int boxHeight = std::min(H / 3, overlayHeight);
    if (position == 10 || position == 11) boxWidth = std::min(W, overlayWidth);
    if (position == 12 || position == 13) boxHeight = std::min(H, overlayHeight);
    const double rx = static_cast<double>(overlayWidth) / boxWidth;
    const double ry = static_cast<double>(overlayHeight) / boxHeight;
    int w = boxWidth;
    int h = boxHeight;
    if (rx > ry) {
        h = TruncSide(overlayHeight / rx);
    } else if (rx < ry) {
        w = TruncSide(overlayWidth / ry);
    }
    p.width = std::max(w, 1);
    p.height = std::max(h, 1);
    p.x = Along(a.fitX, W, p.width);
    p.y = Along(a.fitY, H, p.height);
    return p;
}

int MatteImage(const uint8_t* src, int width, int height, uint8_t* dst, int boxWidth, int boxHeight,
               uint32_t colour) {
    if (src == nullptr || dst == nullptr || src == dst || width <= 0 || height <= 0 ||
        boxWidth <= 0 || boxHeight <= 0)
        return 5;
    const uint8_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const size_t pixels = static_cast<size_t>(boxWidth) * static_cast<size_t>(boxHeight);
    uint8_t* p = dst;
    for (size_t i = 0; i < pixels; ++i, p += 3) {
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
    return BlendRect(dst, boxWidth, boxHeight, src, width, height, (boxWidth - width) / 2,
                     (boxHeight - height) / 2, 1.0);
}

}  // namespace vig::processing
