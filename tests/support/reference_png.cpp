#include "support/reference_png.h"

#include <png.h>

#include <cstring>

namespace vig::test {

std::vector<uint8_t> ReferenceImage::Rgb() const {
    std::vector<uint8_t> out(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (size_t i = 0, n = out.size() / 3; i < n; ++i) std::memcpy(&out[3 * i], &rgba[4 * i], 3);
    return out;
}

bool LoadReferencePng(const std::string& path, ReferenceImage* out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGBA;
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    out->rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, out->rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace vig::test
