// CPxImage operations that call the processing library.
// Placeholders until the processing library lands: each reports an internal
// error, except the cases that do nothing.
#include "image/cpx_image.h"

namespace vig {

ErrorCode CPxImage::Resize(int, int, int kind) { return kind == 0 ? ErrNone : ErrInternal; }
ErrorCode CPxImage::ApplyLut(const uint8_t* lut) { return lut == nullptr ? ErrParameter : ErrInternal; }
ErrorCode CPxImage::Sharpen(int) { return ErrInternal; }
ErrorCode CPxImage::Matte(int, int, PackedColour) { return ErrInternal; }
ErrorCode CPxImage::Overlay(const CPxImage&, int, bool, bool, double, PackedColour) { return ErrInternal; }
ErrorCode CPxImage::Rotate(int kind) { return kind == 0 ? ErrNone : ErrInternal; }

}  // namespace vig
