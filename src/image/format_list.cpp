// The lists of the codec table that need no codec: extensions, input
// formats and what users see of them.
#include "image/codec_table.h"
#include "platform/paths.h"

namespace vig::image {
namespace {

// In the order a folder is searched.
constexpr ExtensionEntry kExtensions[] = {
    {".bmp", InputBmp},  {".png", InputPng},   {".gif", InputGif},   {".jpg", InputJpeg},
    {".tif", InputTiff}, {".pcx", InputPcx},   {".heic", InputHeif}, {".heif", InputHeif},
    {".hif", InputHeif}, {".avif", InputAvif}, {".webp", InputWebp},
};

// In the order lists show them. The formats without writers of their own
// give JPEG files for "same as input": the output name is settled before
// the file is read, so it cannot depend on what the file holds (alpha,
// lossless coding).
constexpr InputFormatEntry kInputFormats[] = {
    {InputJpeg, "JPG", "image/jpeg;", 4, 4, 5},
    {InputBmp, "BMP", "image/bmp;", 6, 7, 8},
    {InputPng, "PNG", "image/png;", 9, 10, 11},
    {InputGif, "GIF", "image/gif;", 18, 18, 19},
    {InputTiff, "TIFF", "image/tiff;", 12, 13, 14},
    {InputPcx, "PCX", "image/vnd.zbrush.pcx;image/x-pcx;", 15, 16, 17},
    {InputHeif, "HEIC/HEIF", "image/heic;image/heif;", 4, 4, 5},
    {InputAvif, "AVIF", "image/avif;", 4, 4, 5},
    {InputWebp, "WebP", "image/webp;", 4, 4, 5},
};

}  // namespace

std::span<const ExtensionEntry> ReaderExtensions() {
    return kExtensions;
}

std::span<const InputFormatEntry> InputFormats() {
    return kInputFormats;
}

std::vector<std::string> ExtensionsOf(int inputFormat) {
    std::vector<std::string> out;
    for (const ExtensionEntry& e : kExtensions)
        if (e.inputFormat == inputFormat) out.emplace_back(e.extension);
    return out;
}

int InputFormatOf(std::string_view extension) {
    for (const ExtensionEntry& e : kExtensions)
        if (paths::EqualsIgnoringCase(extension, e.extension)) return e.inputFormat;
    return InputNone;
}

const InputFormatEntry* FindInputFormat(int inputFormat) {
    for (const InputFormatEntry& f : kInputFormats)
        if (f.inputFormat == inputFormat) return &f;
    return nullptr;
}

}  // namespace vig::image
