// JPEG files for tests, written row by row, so that no whole picture is
// held however large it is.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace vig::test {

// A JPEG written row by row, so that no whole picture is held: `row` fills
// row y (width x 3 bytes).
inline void WriteJpeg(const std::string& path, int width, int height, bool progressive,
               const std::function<void(int y, uint8_t* row)>& row) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> line(static_cast<size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        row(static_cast<int>(cinfo.next_scanline), line.data());
        JSAMPROW r = line.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

}  // namespace vig::test
