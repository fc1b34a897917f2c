// The load and save dispatch: one reader per file extension and one writer
// per output format code, with the conversion the save applies first; and
// what users see of each input format (its name in lists, its media types,
// the output of "same as input"). The rows themselves live in
// codec_table.cpp; a format without a row behaves like an unknown one
// (load: ErrUnknownFormat, save: nothing written). Scans, file dialogs and
// menu entries take their lists from here.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/pixel_block.h"

namespace vig::image {

// Input format codes, as CPxImage::inputFormat holds them.
enum InputFormat : int {
    InputNone = 0,
    InputJpeg = 4,
    InputBmp = 6,
    InputPng = 9,
    InputTiff = 12,
    InputPcx = 15,
    InputGif = 18,
    // Formats without writers of their own: codes beyond the output formats.
    InputHeif = 32,  // HEIC and HEIF (HEVC coded)
    InputAvif = 33,  // AV1 coded
    InputWebp = 34,
};

// Reads `path`; on failure returns an empty block, sets *width = *height = 0
// and leaves the code in the last error.
using ReaderFn = PixelBlock (*)(const std::string& path, int* width, int* height);

// What a caller wants of a picture, given its full size as it looks
// upright (under the orientation read, if any), in the same terms.
struct DecodePlan {
    // The smallest size the caller can use: a reader that can decode at a
    // reduced scale delivers the smallest scale at least that large. 0: the
    // full size.
    int minWidth = 0;
    int minHeight = 0;
    // The size the caller will box-average the picture to (the resampler's
    // box reduction with square cells): a reader may do it while decoding,
    // with the same result and without holding the whole picture. 0: none.
    int reduceWidth = 0;
    int reduceHeight = 0;
    // The smallest embedded preview that may stand in for the picture in a
    // format whose previews are taken without a minimum size (HEIF's
    // thumbnails: no stored file relies on those thumbnails' bytes).
    // 0: previews only under a minimum size.
    int previewWidth = 0;
    int previewHeight = 0;
};

// Which readers turn the colours a picture's profile describes into sRGB
// (image/colour_profile.h).
enum class ProfileConversion {
    None,        // none: every picture as stored
    NewFormats,  // HEIC/HEIF, AVIF and WebP
    All,         // JPEG, PNG and TIFF too
};

// What became of the colour profile (or nclx description) of a picture.
enum class ProfileOutcome {
    None,         // none was found, none was asked for, or it is sRGB's
    Converted,    // the pixels were converted to sRGB
    Unreadable,   // ignored: it could not be read (damaged, cut short)
    NotRgb,       // ignored: a profile of other colours (gray, CMYK) or of no picture
    Unsupported,  // ignored: an nclx description without a conversion (PQ, HLG)
};

// What a caller may tell a reader that can do more than decode at full size.
struct DecodeHints {
    // Read the orientation the camera recorded (EXIF).
    bool readOrientation = false;
    // Hand over the picture's ICC colour profile (DecodeInfo::iccProfile).
    bool readColourProfile = false;
    // Convert the picture's colours to sRGB by its profile.
    ProfileConversion convertProfiles = ProfileConversion::NewFormats;
    // Asked once the full size is known; empty for the full picture.
    std::function<DecodePlan(int fullWidth, int fullHeight)> plan;
};

// What such a reader found.
struct DecodeInfo {
    int fullWidth = 0;  // the picture's size in the file, before any scaling
    int fullHeight = 0;
    int orientation = 1;   // 1..8, as recorded (and applied); 1 when not read or absent
    bool reduced = false;  // the pixels are the planned reduction
    // The ICC profile stored with the picture, as stored (only when asked
    // for; empty when there is none), whether or not the pixels were
    // converted by it.
    std::vector<uint8_t> iccProfile;
    // What became of the profile (or nclx description) when converting was
    // asked for.
    ProfileOutcome profile = ProfileOutcome::None;
};

// Hinted readers deliver the picture upright (under the orientation read),
// through a RowTarget (image/row_target.h), which also reserves the memory.

using HintedReaderFn = PixelBlock (*)(const std::string& path, const DecodeHints& hints,
                                      DecodeInfo* info, int* width, int* height);

enum class SaveConversion {
    None,         // the RGB pixels go to the writer
    Quantize256,  // 256-colour palette and one index per pixel
    Grayscale,    // gray levels as indices with the gray-ramp palette
};

struct WriteRequest {
    std::string path;
    const uint8_t* rgb = nullptr;  // width x height x 3, rows top first
    int width = 0;
    int height = 0;
    // Set for the converting rows: one index per pixel and 256 palette
    // entries of 4 bytes (blue, green, red, 0).
    const uint8_t* indices = nullptr;
    const uint8_t* palette = nullptr;
    int paletteColours = 0;
    int jpegQuality = 75;
    double fileGamma = 0.0;
};

// Returns 1 on success, 0 on failure with the code in the last error.
using WriterFn = int (*)(const WriteRequest& request);

// An extension a reader takes.
struct ExtensionEntry {
    const char* extension;  // with the dot, lower case
    int inputFormat;
};

// The reader of an input format.
struct ReaderEntry {
    int inputFormat;
    ReaderFn read;
    HintedReaderFn readHinted;  // nullptr when the format has nothing to hint
};

// What users see of an input format.
struct InputFormatEntry {
    int inputFormat;
    const char* name;        // in file dialogs and the format filter: "JPG", "HEIC/HEIF"
    const char* mediaTypes;  // as file managers know them, each followed by ';'
    // The output format of "24 bit", "8 bit" and "grayscale, same as input".
    int same24;
    int same8;
    int sameGray;
};

struct WriterEntry {
    int format;
    SaveConversion conversion;
    WriterFn write;
};

// The lists (image/format_list.cpp, which links no codec: the file-manager
// command uses them too).
// Every extension a reader takes, in the order a folder is searched for
// them (with sorting off, files come in this order within each folder).
std::span<const ExtensionEntry> ReaderExtensions();
// Every input format, in the order lists show them.
std::span<const InputFormatEntry> InputFormats();
// The extensions (with their dots, lower case) of an input format, in
// search order.
std::vector<std::string> ExtensionsOf(int inputFormat);
// The input format of an extension (with its dot), compared ignoring case;
// InputNone when no reader takes it.
int InputFormatOf(std::string_view extension);
// The entry of an input format code; nullptr when there is none.
const InputFormatEntry* FindInputFormat(int inputFormat);

// The reader for an extension (with its dot), compared ignoring case;
// nullptr when there is none.
const ReaderEntry* FindReader(std::string_view extension);
// The writer of an output format code 4..19; nullptr when there is none.
const WriterEntry* FindWriter(int format);

}  // namespace vig::image
