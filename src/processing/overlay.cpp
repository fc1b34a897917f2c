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

}  // namespace

OverlayPlacement PlaceOverlay(int position, bool sizeToFit, int thumbWidth, int thumbHeight,
                              int overlayWidth, int overlayHeight) {
    const int W = thumbWidth;
    const int H = thumbHeight;
    if (position < 1 || position > 13) position = 2;
    OverlayPlacement p;
    if (!sizeToFit) {
        p.width = overlayWidth;
        p.height = overlayHeight;
        const int third = W / 3, twoThirds = 2 * (W / 3);
        const int thirdH = H / 3, twoThirdsH = 2 * (H / 3);
        switch (position) {
            case 1: p.x = third, p.y = 0; break;
            case 2: p.x = third, p.y = twoThirdsH; break;
            case 3: p.x = 0, p.y = thirdH; break;
            case 4: p.x = twoThirds, p.y = thirdH; break;
            case 5: p.x = 0, p.y = 0; break;
            case 6: p.x = twoThirds, p.y = 0; break;
            case 7: p.x = 0, p.y = twoThirdsH; break;
            case 8: p.x = twoThirds, p.y = twoThirdsH; break;
            case 9: p.x = third, p.y = thirdH; break;
            case 10: p.x = 0, p.y = 0; break;
            case 11: p.x = 0, p.y = twoThirdsH; break;
            case 12: p.x = 0, p.y = 0; break;
            case 13: p.x = twoThirds, p.y = 0; break;
        }
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
    p.width = w = std::max(w, 1);
    p.height = h = std::max(h, 1);
    const int centreX = (W - w) / 2, right = W - w;
    const int centreY = (H - h) / 2, bottom = H - h;
    switch (position) {
        case 1: p.x = centreX, p.y = 0; break;
        case 2: p.x = centreX, p.y = bottom; break;
        case 3: p.x = 0, p.y = centreY; break;
        case 4: p.x = right, p.y = centreY; break;
        case 5: p.x = 0, p.y = 0; break;
        case 6: p.x = right, p.y = 0; break;
        case 7: p.x = 0, p.y = bottom; break;
        case 8: p.x = right, p.y = bottom; break;
        case 9: p.x = centreX, p.y = centreY; break;
        case 10: p.x = 0, p.y = 0; break;
        case 11: p.x = 0, p.y = bottom; break;
        case 12: p.x = 0, p.y = 0; break;
        case 13: p.x = right, p.y = 0; break;
    }
    return p;
}

int MatteImage(const uint8_t* src, int width, int height, uint8_t* dst, int boxWidth,
               int boxHeight, uint32_t colour) {
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
