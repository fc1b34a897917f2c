#include "image/codec_table.h"

#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/heif.h"
#include "image/formats/jpeg.h"
#include "image/formats/pcx.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "image/formats/webp.h"

namespace vig::image {
namespace {

// One reader per input format; the extensions are in format_list.cpp.
constexpr ReaderEntry kReaders[] = {
    {InputBmp, bmp::Read, bmp::ReadHinted},
    {InputPng, png::Read, png::ReadHinted},
    {InputGif, gif::Read, gif::ReadHinted},
    {InputJpeg, jpeg::Read, jpeg::ReadHinted},
    {InputTiff, tiff::Read, tiff::ReadHinted},
    {InputPcx, pcx::Read, pcx::ReadHinted},
    {InputHeif, heif::Read, heif::ReadHinted},
    {InputAvif, heif::ReadAvif, heif::ReadAvifHinted},
    {InputWebp, webp::Read, webp::ReadHinted},
};

constexpr WriterEntry kWriters[] = {
    {4, SaveConversion::None, jpeg::WriteColourEntry},
    {5, SaveConversion::None, jpeg::WriteGrayEntry},
    {6, SaveConversion::None, bmp::SaveRgb},
    {7, SaveConversion::Quantize256, bmp::SaveIndexed},
    {8, SaveConversion::Grayscale, bmp::SaveIndexed},
    {9, SaveConversion::None, png::WriteRgbEntry},
    {10, SaveConversion::Quantize256, png::WritePaletteEntry},
    {11, SaveConversion::Grayscale, png::WritePaletteEntry},
    {12, SaveConversion::None, tiff::WriteRgbEntry},
    {13, SaveConversion::Quantize256, tiff::WritePaletteEntry},
    {14, SaveConversion::Grayscale, tiff::WritePaletteEntry},
    {15, SaveConversion::None, pcx::SaveRgb},
    {16, SaveConversion::Quantize256, pcx::SaveIndexed},
    {17, SaveConversion::Grayscale, pcx::SaveIndexed},
    {18, SaveConversion::Quantize256, gif::Save},
    {19, SaveConversion::Grayscale, gif::Save},
};

}  // namespace

const ReaderEntry* FindReader(std::string_view extension) {
    const int format = InputFormatOf(extension);
    if (format == InputNone) return nullptr;
    for (const ReaderEntry& r : kReaders) {
        if (r.inputFormat == format && r.read != nullptr) return &r;
    }
    return nullptr;
}

const WriterEntry* FindWriter(int format) {
    for (const WriterEntry& w : kWriters) {
        if (w.write != nullptr && w.format == format) return &w;
    }
    return nullptr;
}

}  // namespace vig::image
