// Enumerations of the options record with their stored codes and the texts
// the lists show (in English; the lists show them in the user's language,
// through the catalogue context kListContext).
#pragma once

#include <cstdint>

#include "platform/translation.h"

namespace vig::options {

inline constexpr const char* kListContext = "vig::lists";

// A stored switch counts as on only when it holds exactly 1.
constexpr bool On(int flag) {
    return flag == 1;
}

// 0x00BBGGRR: red in the lowest byte.
using Colour = uint32_t;
constexpr Colour MakeColour(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int ColourRed(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int ColourGreen(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColourBlue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

enum ResizeMethod : int {
    NoResize = 0,
    BestFit = 1,
    FixedWidth = 2,
    FixedHeight = 3,
    ExactSize = 4,
    PixelArea = 5,
    Percent = 6,
};
inline constexpr const char* kResizeMethodTexts[] = {
    QT_TRANSLATE_NOOP("vig::lists", "No Resize"),   QT_TRANSLATE_NOOP("vig::lists", "Best Fit"),
    QT_TRANSLATE_NOOP("vig::lists", "Fixed Width"), QT_TRANSLATE_NOOP("vig::lists", "Fixed Height"),
    QT_TRANSLATE_NOOP("vig::lists", "Exact Size"),  QT_TRANSLATE_NOOP("vig::lists", "Pixel Area"),
    QT_TRANSLATE_NOOP("vig::lists", "Percent"),
};

// Whether "Allow Enlarge" means anything for a resize method: best fit,
// fixed width and fixed height keep a smaller picture's size unless allowed
// to enlarge it; the others always make the size they compute.
constexpr bool MethodAllowsEnlarge(int method) {
    return method == BestFit || method == FixedWidth || method == FixedHeight;
}

// Output format codes; 1 to 3 mean "same as input".
enum OutputFormat : int {
    FormatSame24 = 1,
    FormatSame8 = 2,
    FormatSameGray = 3,
    FormatJpg = 4,
    FormatJpgGray = 5,
    FormatBmp24 = 6,
    FormatBmp8 = 7,
    FormatBmpGray = 8,
    FormatPng24 = 9,
    FormatPng8 = 10,
    FormatPngGray = 11,
    FormatTiff24 = 12,
    FormatTiff8 = 13,
    FormatTiffGray = 14,
    FormatPcx24 = 15,
    FormatPcx8 = 16,
    FormatPcxGray = 17,
    FormatGif = 18,
    FormatGifGray = 19,
};
// List texts for codes 1..19 (index = code - 1).
inline constexpr const char* kOutputFormatTexts[] = {
    QT_TRANSLATE_NOOP("vig::lists", "24 bit, same as input"),
    QT_TRANSLATE_NOOP("vig::lists", "8 bit, same as input"),
    QT_TRANSLATE_NOOP("vig::lists", "Grayscale, same as input"),
    QT_TRANSLATE_NOOP("vig::lists", "JPG"),
    QT_TRANSLATE_NOOP("vig::lists", "JPG grayscale"),
    QT_TRANSLATE_NOOP("vig::lists", "BMP 24 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "BMP 8 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "BMP grayscale"),
    QT_TRANSLATE_NOOP("vig::lists", "PNG 24 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "PNG 8 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "PNG grayscale"),
    QT_TRANSLATE_NOOP("vig::lists", "TIFF 24 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "TIFF 8 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "TIFF grayscale"),
    QT_TRANSLATE_NOOP("vig::lists", "PCX 24 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "PCX 8 bit"),
    QT_TRANSLATE_NOOP("vig::lists", "PCX grayscale"),
    QT_TRANSLATE_NOOP("vig::lists", "GIF"),
    QT_TRANSLATE_NOOP("vig::lists", "GIF grayscale"),
};

enum RenameStyle : int {
    Overwrite = 0,
    TextPrefix = 1,
    TextSuffix = 2,
    AutoNumericSuffix = 3,
};
// The options page lists the styles in this order; the code of each position.
inline constexpr const char* kRenameStyleListTexts[] = {
    "Overwrite", "Auto Numeric Suffix", "Text Prefix", "Text Suffix"};
inline constexpr int kRenameStyleListCodes[] = {0, 3, 1, 2};

enum NameCase : int { NoChange = 0, Lower = 1, Upper = 2 };
inline constexpr const char* kNameCaseTexts[] = {"No Change", "Lower", "Upper"};

enum SortMode : int { NoSort = 0, Alphabetic = 1, ByDate = 2 };
inline constexpr const char* kSortModeTexts[] = {"No sort", "Alphabetic", "Date"};

enum EnhanceType : int {
    EnhanceNone = 0,
    LightenMidtones = 1,
    DarkenMidtones = 2,
    RaiseContrast = 3,
    LineArtContrast = 4,
    UserLut = 5,
};
// Texts by code.
inline constexpr const char* kEnhanceTypeTexts[] = {
    "None", "Lighten Midtones", "Darken Midtones", "Raise Contrast", "Line Art Contrast",
    "Apply User LUT"};
// The options page shows the choices in this order; the code of each position.
inline constexpr int kEnhanceTypeListCodes[] = {0, 3, 4, 1, 2, 5};

enum SourcePageMode : int { NoSourcePages = 0, SourcePagesWithInput = 1, SourcePagesWithOutput = 2 };
inline constexpr const char* kSourcePageModeTexts[] = {
    "No Source Image Pages", "Source Pages With Input", "Source Pages With Output"};

}  // namespace vig::options
