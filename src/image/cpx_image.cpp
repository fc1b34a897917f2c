#include "image/cpx_image.h"

#include <array>
#include <cstring>
#include <utility>

#include "image/image_library.h"
#include "platform/paths.h"
#include "processing/colour_reduction.h"

namespace vig::image {
namespace {

constexpr std::array<int, 511> MakeSquares() {
    std::array<int, 511> t{};
    for (int d = -255; d <= 255; ++d) t[static_cast<size_t>(d + 255)] = d * d;
    return t;
}
constexpr std::array<int, 511> kSquares = MakeSquares();

bool IsPngFormat(int format) {
    return format >= 9 && format <= 11;
}

}  // namespace

const int* CPxImage::SquareTable() {
    return kSquares.data() + 255;
}

CPxImage::CPxImage() {
    SetProgressCallback(ApplicationProgressCallback);
}

void CPxImage::Free() {
    pixels_.Reset();
    width_ = 0;
    height_ = 0;
    inputFormat_ = InputNone;
    textList_.clear();
}

void CPxImage::Adopt(PixelBlock&& pixels, int width, int height) {
    pixels_ = std::move(pixels);
    width_ = width;
    height_ = height;
}

ErrorCode CPxImage::Load(const std::string& path) {
    DecodeInfo info;
    return Load(path, DecodeHints(), &info);
}

ErrorCode CPxImage::Load(const std::string& path, const DecodeHints& hints, DecodeInfo* info) {
    *info = DecodeInfo();
    if (path.empty()) return ErrOpenFile;
    const std::string ext = paths::Extension(path);
    Free();
    const ReaderEntry* reader = FindReader(ext);
    if (reader == nullptr) {
        SetLastImageError(ErrNone);
        return ErrUnknownFormat;
    }
    const bool png = reader->inputFormat == InputPng;
    // Every reader composites transparent pixels over this colour.
    PngSetBackground(0, static_cast<uint16_t>(backgroundColour_ & 0xFF),
                     static_cast<uint16_t>((backgroundColour_ >> 8) & 0xFF),
                     static_cast<uint16_t>((backgroundColour_ >> 16) & 0xFF), 0);
    if (png) PngSetScreenGamma(screenGamma_);
    int w = 0;
    int h = 0;
    DecodeInfo found;
    PixelBlock block = reader->readHinted != nullptr
                           ? reader->readHinted(path, hints, &found, &w, &h)
                           : reader->read(path, &w, &h);
    const ErrorCode code = GetLastImageError();
    if (block.empty()) return code != ErrNone ? code : ErrUnknownFormat;
    size_t expected = 0;
    if (!BlockSize(w, h, 3, &expected) || block.size() < expected) return ErrInternal;
    if (reader->readHinted == nullptr) {
        found = DecodeInfo();
        found.fullWidth = w;
        found.fullHeight = h;
    }
    // Hinted readers deliver the picture upright already.
    Adopt(std::move(block), w, h);
    if (found.orientation >= 5) std::swap(found.fullWidth, found.fullHeight);
    *info = std::move(found);
    inputFormat_ = reader->inputFormat;
    sourceName_ = path;
    if (png) {
        for (const PngTextEntry& e : PngReadTextList())
            if (!e.key.empty()) textList_.push_back(e);
    }
    return code;
}

ErrorCode CPxImage::Save(const std::string& path, int format) {
    if (empty()) return ErrParameter;
    const WriterEntry* writer = FindWriter(format);
    if (writer == nullptr) return ErrNone;

    WriteRequest request;
    request.path = path;
    request.rgb = pixels_.data();
    request.width = width_;
    request.height = height_;
    request.jpegQuality = jpegQuality_;
    request.fileGamma = fileGamma_;

    PixelBlock indices;
    std::array<uint8_t, 256 * 4> palette{};
    if (writer->conversion != SaveConversion::None) {
        size_t bytes = 0;
        if (!BlockSize(width_, height_, 1, &bytes) || !indices.Allocate(bytes))
            return ErrOutOfMemory;
        int status = 0;
        if (writer->conversion == SaveConversion::Quantize256) {
            status = processing::QuantizeToPalette(pixels_.data(), indices.data(), width_, height_,
                                                   256, palette.data());
        } else {
            status = processing::ToGrayscale(pixels_.data(), width_, height_, indices.data());
            for (int i = 0; i < 256; ++i) {
                palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = static_cast<uint8_t>(i);
                palette[4 * i + 3] = 0;
            }
        }
        if (status != 0) return status;
        request.indices = indices.data();
        request.palette = palette.data();
        request.paletteColours = 256;
    }

    const bool png = IsPngFormat(format);
    if (png) {
        PngClearTextLists();
        if (copyText_)
            for (const PngTextEntry& e : textList_) PngAddWriteText(e.key, e.text, e.compressed);
        PngAddWriteText(pngKey_, pngText_, compressText_);
        PngAddWriteText("Software", "Produced with Vignettor", false);
        PngSetBackground(0, 0, 0, 0, 0);
    }
    const int ok = writer->write(request);
    const ErrorCode code = ok ? ErrNone : GetLastImageError();
    if (png) PngClearTextLists();
    if (!ok && code == ErrNone) return ErrInternal;
    return code;
}

ErrorCode CPxImage::CopyFrom(const CPxImage& other) {
    if (other.empty()) return ErrParameter;
    size_t bytes = 0;
    PixelBlock copy;
    if (!BlockSize(other.width_, other.height_, 3, &bytes) || !copy.Allocate(bytes))
        return ErrOutOfMemory;
    std::memcpy(copy.data(), other.pixels_.data(), bytes);
    Free();
    Adopt(std::move(copy), other.width_, other.height_);
    return ErrNone;
}

ErrorCode CPxImage::MakeCheckerboard(int width, int height) {
    Free();
    if (width <= 0 || height <= 0) return ErrParameter;
    PixelBlock block;
    if (!block.AllocateRgb(width, height)) return ErrOutOfMemory;
    uint8_t* p = block.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, p += 3) {
            const bool tinted = ((x / 6) + (y / 6)) % 2 == 0;
            p[0] = tinted ? 220 : 255;
            p[1] = tinted ? 220 : 255;
            p[2] = 255;
        }
    }
    Adopt(std::move(block), width, height);
    return ErrNone;
}

PackedColour CPxImage::GetPixel(int x, int y) const {
    if (empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const uint8_t* p =
        pixels_.data() +
        (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
    return static_cast<PackedColour>(p[0] | (p[1] << 8) | (p[2] << 16));
}

ErrorCode CPxImage::BuildPalette(int n, uint8_t* paletteOut) {
    if (empty()) return ErrUnknownFormat;
    if (paletteOut == nullptr) return ErrParameter;
    if (n < 1) n = 1;
    if (n > 256) n = 256;
    return processing::BuildPaletteOnly(pixels_.data(), width_, height_, n, paletteOut) == 0
               ? ErrNone
               : ErrOutOfMemory;
}

ErrorCode CPxImage::MapToPalette(int n, const uint8_t* palette) {
    if (empty()) return ErrUnknownFormat;
    if (palette == nullptr) return ErrParameter;
    processing::MapToPalette(pixels_.data(), width_, height_, palette, n);
    return ErrNone;
}

ErrorCode CPxImage::Posterize(int colours, PackedColour keep) {
    if (empty()) return ErrUnknownFormat;
    return processing::PosterizeKeeping(pixels_.data(), width_, height_, colours,
                                        static_cast<uint8_t>(keep & 0xFF),
                                        static_cast<uint8_t>((keep >> 8) & 0xFF),
                                        static_cast<uint8_t>((keep >> 16) & 0xFF)) == 0
               ? ErrNone
               : ErrOutOfMemory;
}

void CPxImage::SetPngOptions(double fileGamma, double screenGamma, const std::string& pngKey,
                             const std::string& pngText, bool copyText, bool compressText,
                             PackedColour background) {
    fileGamma_ = fileGamma;
    screenGamma_ = screenGamma;
    pngKey_ = pngKey;
    pngText_ = pngText;
    copyText_ = copyText;
    compressText_ = compressText;
    backgroundColour_ = background;
}

}  // namespace vig::image
