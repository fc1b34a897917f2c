// Colour management: the conversion of a picture's own colours into sRGB,
// made with LittleCMS 2 from the ICC profile stored with the picture or, for
// HEIF and AVIF, from an nclx description (colour primaries and transfer
// characteristics, ITU-T H.273 code points). A reader that finds either
// builds one ColourTransform for its decode and hands it to its RowTarget,
// which converts every row as it is done, before it is turned or reduced;
// nothing after the reader ever sees a profile.
//
// Pixels go in and come out as 8-bit RGB, so only profiles of RGB colours
// apply. The rendering intent is perceptual: it is what a profile's maker
// tunes for photographs, and a matrix-and-curves profile (the usual camera
// and display profile) has no perceptual table, which makes it the same as
// relative colorimetric there. A profile that cannot be used leaves the
// pixels as they are; the outcome says why, for a warning.
//
// A transform has a LittleCMS context of its own and never changes once
// made (no one-pixel cache), so threads never share anything they change.
// Making one costs a few milliseconds (its tone curves are tabulated), so
// each thread keeps the last few it made, by their profile bytes or nclx
// codes, for the pictures that follow: a thread's own, needing no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "image/codec_table.h"

namespace vig::image {

class RowTarget;

// Whether a reader converts the profile it finds, under `hints`:
// `newFormat` is true for HEIC/HEIF, AVIF and WebP.
bool ConvertsProfiles(const DecodeHints& hints, bool newFormat);

// The nclx code points that describe the RGB values (ITU-T H.273). 2 is
// "unspecified", taken as sRGB's.
struct NclxColour {
    int primaries = 2;  // colour_primaries: 1 BT.709, 9 BT.2020, 12 Display P3 ...
    int transfer = 2;   // transfer_characteristics: 13 sRGB, 1 BT.709, 8 linear ...
};

class ColourTransform {
public:
    ColourTransform();
    ~ColourTransform();
    ColourTransform(const ColourTransform&) = delete;
    ColourTransform& operator=(const ColourTransform&) = delete;

    // Builds the conversion from the colours `bytes` (an ICC profile)
    // describe. Converted when there is one now; None without bytes;
    // Unreadable when LittleCMS cannot make a conversion of them (damaged,
    // cut short); NotRgb for a profile of other colours (gray, CMYK, Lab) or
    // of no picture (a device link, named colours).
    ProfileOutcome FromIcc(const uint8_t* bytes, size_t size);
    // Builds the conversion from an RGB space of those primaries and that
    // tone curve. None when that is sRGB already (BT.709 primaries with the
    // sRGB curve, or unspecified), Unsupported for codes it has no curve or
    // primaries for (PQ and HLG among them: they need tone mapping).
    ProfileOutcome FromNclx(const NclxColour& nclx);

    bool active() const { return built_ != nullptr; }
    // Converts `width` RGB pixels in place (nothing when not active).
    void Convert(uint8_t* row, int width) const;
    // Makes `target` convert every row it is given (nothing when not
    // active). The transform must outlive the target's rows.
    void AttachTo(RowTarget& target);

    struct Built;  // a LittleCMS context and its transform

private:
    std::shared_ptr<const Built> built_;
};

}  // namespace vig::image
