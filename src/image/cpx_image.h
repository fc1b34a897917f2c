// The in-memory image: 24-bit RGB pixels, rows top first, no padding, with
// the options that go with loading and saving it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/codec_table.h"
#include "image/error_codes.h"
#include "image/pixel_block.h"
#include "image/png_state.h"

namespace vig::image {

// 0x00BBGGRR, red in the lowest byte.
using PackedColour = uint32_t;

class CPxImage {
public:
    // Registers the application's progress callback with the library.
    CPxImage();
    virtual ~CPxImage() = default;
    CPxImage(const CPxImage&) = delete;
    CPxImage& operator=(const CPxImage&) = delete;

    // Loads by extension (those of the codec table, ReaderExtensions, any
    // case). Transparent pixels are
    // composited over the background colour (SetPngOptions). An empty path
    // gives ErrOpenFile and changes nothing; an unknown extension
    // ErrUnknownFormat; a failed load leaves the image empty.
    ErrorCode Load(const std::string& path);
    // Loads the same way, with hints for readers that take them (JPEG, HEIF,
    // AVIF, WebP): a
    // reduced decoding scale, a box reduction made while decoding
    // (info->reduced), and the recorded orientation, which is then applied,
    // so the image is upright. *info gets the picture's full size as it
    // looks upright and the orientation found (0 x 0 and 1 after a failure);
    // readers without hints give their size and orientation 1.
    ErrorCode Load(const std::string& path, const DecodeHints& hints, DecodeInfo* info);
    // Saves in output format 4..19 with that format's conversion. An empty
    // image gives ErrParameter; other codes, and formats without a writer,
    // write nothing and give 0.
    ErrorCode Save(const std::string& path, int format);
    // Releases the pixels; width, height and input format become 0 and the
    // text list is emptied.
    void Free();
    // Byte copy of the other's pixels and size; this image's options stay.
    ErrorCode CopyFrom(const CPxImage& other);
    // 6 x 6 squares of (220,220,255) and white, the top-left one tinted.
    ErrorCode MakeCheckerboard(int width, int height);
    // The pixel as 0x00BBGGRR; 0 outside the image or when it is empty.
    PackedColour GetPixel(int x, int y) const;
    // An optimised palette of n colours (clamped to 1..256) as 4-byte
    // entries (blue, green, red, 0). 0, or 1 on failure; ErrUnknownFormat when
    // the image is empty, ErrParameter without a palette buffer.
    ErrorCode BuildPalette(int n, uint8_t* paletteOut);
    // Every pixel becomes its nearest entry of the n-entry palette (first of
    // equals wins, an exact match ends the search).
    ErrorCode MapToPalette(int n, const uint8_t* palette);
    // Posterizes to `colours` colours (clamped to 1..256) with an optimised
    // palette whose entry nearest to `keep` is set to exactly `keep`: a
    // transparent colour survives the reduction. ErrUnknownFormat when the
    // image is empty, ErrOutOfMemory when the palette cannot be made.
    ErrorCode Posterize(int colours, PackedColour keep);
    // Quarter turns clockwise: 0 none, 1 and 3 exchange width and height.
    ErrorCode Rotate(int kind);
    // Turns an image stored under the EXIF orientation 1..8 upright;
    // ErrParameter for other values.
    ErrorCode Orient(int orientation);
    void SetPngOptions(double fileGamma, double screenGamma, const std::string& pngKey,
                       const std::string& pngText, bool copyText, bool compressText,
                       PackedColour background);

    // Processing of the pixels (the algorithms live in processing/).
    // Resamples to newWidth x newHeight: kind 0 none, 1 bilinear, 2 box average.
    ErrorCode Resize(int newWidth, int newHeight, int kind);
    // Every channel byte v becomes lut[v]; ErrParameter without a table.
    ErrorCode ApplyLut(const uint8_t* lut);
    // Laplacian sharpening at level 0..100 (clamped).
    ErrorCode Sharpen(int level);
    // Centres the image on a boxWidth x boxHeight background of `colour`
    // unless it already covers the box.
    ErrorCode Matte(int boxWidth, int boxHeight, PackedColour colour);
    // Blends the overlay at position code 0..13, optionally scaled to fit,
    // with an opacity and, unless noTransparency, a keyed colour.
    ErrorCode Overlay(const CPxImage& overlay, int position, bool sizeToFit, bool noTransparency,
                      double opacity, PackedColour transparentColour);

    // Takes over a pixel block of width x height x 3 bytes.
    void Adopt(PixelBlock&& pixels, int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return pixels_.empty() || width_ <= 0 || height_ <= 0; }
    uint8_t* data() { return pixels_.data(); }
    const uint8_t* data() const { return pixels_.data(); }
    int inputFormat() const { return inputFormat_; }
    int jpegQuality() const { return jpegQuality_; }
    void SetJpegQuality(int quality) { jpegQuality_ = quality; }
    const std::vector<PngTextEntry>& textList() const { return textList_; }
    const std::string& sourceName() const { return sourceName_; }
    double screenGamma() const { return screenGamma_; }
    double fileGamma() const { return fileGamma_; }
    const std::string& pngKey() const { return pngKey_; }
    const std::string& pngText() const { return pngText_; }
    bool copyText() const { return copyText_; }
    bool compressText() const { return compressText_; }

    // d * d for d = -255..255, indexed by a signed channel difference.
    static const int* SquareTable();

private:
    int width_ = 0;
    int height_ = 0;
    PixelBlock pixels_;
    int inputFormat_ = InputNone;
    int jpegQuality_ = 75;
    std::vector<PngTextEntry> textList_;
    double screenGamma_ = 2.2;
    double fileGamma_ = 0.0;
    PackedColour backgroundColour_ = 0;
    std::string pngKey_;
    std::string pngText_;
    bool copyText_ = true;
    bool compressText_ = false;
    std::string sourceName_ = "[Memory]";
};

}  // namespace vig::image
