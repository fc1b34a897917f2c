// CPxImage operations that call the processing library. Each one that makes
// a new pixel block builds it whole before it replaces the image's own, so a
// failure leaves the image as it was.
#include <utility>

#include "image/cpx_image.h"
#include "processing/compositing.h"
#include "processing/overlay.h"
#include "processing/resample.h"
#include "processing/rotation.h"
#include "processing/sharpen.h"
#include "processing/tone_curves.h"

namespace vig::image {

ErrorCode CPxImage::Resize(int newWidth, int newHeight, int kind) {
    if (kind == processing::ResampleNone) return ErrNone;
    if (empty() || newWidth <= 0 || newHeight <= 0) return ErrParameter;
    if (kind != processing::ResampleBilinearKind && kind != processing::ResampleBoxKind)
        return ErrParameter;
    // The box averager only reduces.
    if (kind == processing::ResampleBoxKind && (newWidth > width_ || newHeight > height_))
        return ErrParameter;
    PixelBlock block;
    if (!block.AllocateRgb(newWidth, newHeight)) return ErrOutOfMemory;
    const int status = kind == processing::ResampleBilinearKind
                           ? processing::ResampleBilinear(pixels_.data(), width_, height_,
                                                          block.data(), newWidth, newHeight)
                           : processing::ResampleBox(pixels_.data(), block.data(), width_, height_,
                                                     newWidth, newHeight, true);
    if (status != 0) return status;
    Adopt(std::move(block), newWidth, newHeight);
    return ErrNone;
}

ErrorCode CPxImage::ApplyLut(const uint8_t* lut) {
    if (lut == nullptr) return ErrParameter;
    if (empty()) return ErrNone;
    return processing::ApplyToneCurve(pixels_.data(), width_, height_, lut);
}

ErrorCode CPxImage::Sharpen(int level) {
    if (empty()) return ErrNone;
    PixelBlock block;
    if (!block.AllocateRgb(width_, height_)) return ErrOutOfMemory;
    const int status =
        processing::FilterSharpen(pixels_.data(), block.data(), width_, height_, level);
    if (status != 0) return status;
    Adopt(std::move(block), width_, height_);
    return ErrNone;
}

ErrorCode CPxImage::Matte(int boxWidth, int boxHeight, PackedColour colour) {
    if (empty()) return ErrParameter;
    if (width_ >= boxWidth && height_ >= boxHeight) return ErrNone;
    if (boxWidth <= 0 || boxHeight <= 0) return ErrParameter;
    PixelBlock block;
    if (!block.AllocateRgb(boxWidth, boxHeight)) return ErrOutOfMemory;
    const int status = processing::MatteImage(pixels_.data(), width_, height_, block.data(),
                                              boxWidth, boxHeight, colour);
    if (status != 0) return status;
    Adopt(std::move(block), boxWidth, boxHeight);
    return ErrNone;
}

ErrorCode CPxImage::Overlay(const CPxImage& overlay, int position, bool sizeToFit,
                            bool noTransparency, double opacity, PackedColour transparentColour) {
    if (empty() || overlay.empty() || &overlay == this) return ErrParameter;
    const processing::OverlayPlacement place = processing::PlaceOverlay(
        position, sizeToFit, width_, height_, overlay.width(), overlay.height());
    const uint8_t* src = overlay.data();
    PixelBlock scaled;
    if (sizeToFit) {
        if (!scaled.AllocateRgb(place.width, place.height)) return ErrOutOfMemory;
        if (processing::ResampleBilinear(overlay.data(), overlay.width(), overlay.height(),
                                         scaled.data(), place.width, place.height) != 0)
            return ErrParameter;
        src = scaled.data();
    }
    return noTransparency ? processing::BlendRect(pixels_.data(), width_, height_, src, place.width,
                                                  place.height, place.x, place.y, opacity)
                          : processing::BlendRectKeyed(pixels_.data(), width_, height_, src,
                                                       place.width, place.height, place.x, place.y,
                                                       opacity, transparentColour);
}

ErrorCode CPxImage::Rotate(int kind) {
    if (kind == 0) return ErrNone;
    if (empty() || kind < 0 || kind > 3) return ErrParameter;
    PixelBlock block;
    if (!block.AllocateRgb(width_, height_)) return ErrOutOfMemory;
    const int status =
        processing::RotateQuarterTurns(pixels_.data(), width_, height_, kind, block.data());
    if (status != 0) return status;
    if (kind == 2)
        Adopt(std::move(block), width_, height_);
    else
        Adopt(std::move(block), height_, width_);
    return ErrNone;
}

ErrorCode CPxImage::Orient(int orientation) {
    if (orientation < 1 || orientation > 8) return ErrParameter;
    if (orientation == 1 || empty()) return ErrNone;
    PixelBlock block;
    if (!block.AllocateRgb(width_, height_)) return ErrOutOfMemory;
    const int status =
        processing::ApplyOrientation(pixels_.data(), width_, height_, orientation, block.data());
    if (status != 0) return status;
    if (orientation >= 5)
        Adopt(std::move(block), height_, width_);
    else
        Adopt(std::move(block), width_, height_);
    return ErrNone;
}

}  // namespace vig::image
