// Operations of the options record that use the processing library.
// Placeholders until the processing library lands.
#include "options/batch_options.h"

namespace vig {

void BatchOptions::ComputeOutputSize(unsigned srcWidth, unsigned srcHeight, unsigned* outWidth,
                                     unsigned* outHeight, int*) const {
    *outWidth = srcWidth;
    *outHeight = srcHeight;
}

const uint8_t* BatchOptions::GetToneLut(bool* userCurveMissing) {
    if (userCurveMissing != nullptr) *userCurveMissing = false;
    return nullptr;
}

}  // namespace vig
