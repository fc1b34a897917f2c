// Pictures that carry an ICC profile the way each format stores one: JPEG
// in APP2 "ICC_PROFILE" segments (libjpeg's jpeg_write_icc_profile), PNG in
// an iCCP chunk, TIFF in tag 34675 (TIFFTAG_ICCPROFILE). The bytes are
// stored as given, damaged ones too; no profile when they are empty. Tests
// that use these link JPEG::JPEG, PNG::PNG, TIFF::TIFF and ZLIB::ZLIB.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

namespace vig::test {

enum class TaggedFormat { Jpeg, Png, Tiff };

inline const char* ExtensionOf(TaggedFormat format) {
    return format == TaggedFormat::Jpeg ? ".jpg" : format == TaggedFormat::Png ? ".png" : ".tif";
}

// Quality 95, chroma halved both ways (libjpeg's defaults).
inline bool WriteTaggedJpeg(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h,
                            const std::vector<uint8_t>& profile) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    if (!profile.empty())
        jpeg_write_icc_profile(&cinfo, profile.data(), static_cast<unsigned>(profile.size()));
    for (int y = 0; y < h; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(y) * w * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

// 8-bit RGB. The iCCP chunk is written as it stands, so that libpng's checks
// of a profile apply only when the file is read.
inline bool WriteTaggedPng(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h,
                           const std::vector<uint8_t>& profile) {
    std::vector<uint8_t> iccp;
    if (!profile.empty()) {
        uLongf packed = compressBound(static_cast<uLong>(profile.size()));
        iccp.assign({'I', 'C', 'C', 0, 0});
        const size_t head = iccp.size();
        iccp.resize(head + packed);
        if (compress(iccp.data() + head, &packed, profile.data(),
                     static_cast<uLong>(profile.size())) != Z_OK)
            return false;
        iccp.resize(head + packed);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info_before_PLTE(png, info);
    if (!iccp.empty())
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("iCCP"), iccp.data(), iccp.size());
    png_write_info(png, info);
    for (int y = 0; y < h; ++y)
        png_write_row(png, rgb.data() + static_cast<size_t>(y) * w * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// 8-bit RGB in strips of 8 rows.
inline bool WriteTaggedTiff(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h,
                            const std::vector<uint8_t>& profile) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(w));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(h));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
    if (!profile.empty())
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(profile.size()),
                     profile.data());
    bool ok = true;
    for (int y = 0; y < h && ok; ++y)
        ok = TIFFWriteScanline(tif, const_cast<uint8_t*>(rgb.data() + static_cast<size_t>(y) * w * 3),
                               static_cast<uint32_t>(y), 0) == 1;
    TIFFClose(tif);
    return ok;
}

inline bool WriteTagged(TaggedFormat format, const std::string& path,
                        const std::vector<uint8_t>& rgb, int w, int h,
                        const std::vector<uint8_t>& profile) {
    switch (format) {
        case TaggedFormat::Jpeg:
            return WriteTaggedJpeg(path, rgb, w, h, profile);
        case TaggedFormat::Png:
            return WriteTaggedPng(path, rgb, w, h, profile);
        case TaggedFormat::Tiff:
            return WriteTaggedTiff(path, rgb, w, h, profile);
    }
    return false;
}

// Flat patches of these colours side by side, each `side` pixels square.
inline std::vector<uint8_t> Patches(const std::vector<std::array<uint8_t, 3>>& colours, int side) {
    const int w = side * static_cast<int>(colours.size());
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * side * 3);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(static_cast<size_t>(y) * w + x) * 3 + c] = colours[x / side][c];
    return rgb;
}

}  // namespace vig::test
