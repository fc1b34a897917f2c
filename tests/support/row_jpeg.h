// JPEG files for tests, written row by row, so that no whole picture is
// held however large it is.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace vig::test {

// A JPEG (4:2:0; baseline unless progressive) of width x height in
// memory, written row by row: `row` fills row y (width x 3 bytes).
inline std::vector<uint8_t> EncodeJpeg(int width, int height, int quality,
                                       const std::function<void(int y, uint8_t* row)>& row,
                                       bool progressive = false) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
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
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// The same written to `path`, at libjpeg's default quality.
inline void WriteJpeg(const std::string& path, int width, int height, bool progressive,
                      const std::function<void(int y, uint8_t* row)>& row) {
    const std::vector<uint8_t> bytes = EncodeJpeg(width, height, 75, row, progressive);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    ASSERT_EQ(std::fclose(f), 0);
}

}  // namespace vig::test
