// Tone curves: 256-entry tables applied to the three channels of every
// pixel, the four built-in curves and the reader of a user curve.
// Status results: 0 success, 5 bad arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vig::processing {

// The built-in curve of enhancement type 1 (lighten midtones), 2 (darken
// midtones), 3 (raise contrast) or 4 (line art contrast); nullptr for any
// other type.
const uint8_t* BuiltInToneCurve(int type);

// Fills lut with the identity, then reads the user curve text: lines of at
// most 79 characters (a longer one counts as several, a CR before the line
// break is dropped), each giving the entry for the next input value as its
// leading decimal integer (leading blanks and a sign allowed, 0 when there is
// none) kept as its low 8 bits. Reading stops after entry 255; entries the
// text does not reach keep the identity. Returns the number of entries read.
int ParseUserCurve(std::string_view text, uint8_t* lut);

// The most bytes ParseUserCurve can use: longer texts may be cut there.
inline constexpr size_t kUserCurveMaxBytes = 256 * 80;

// Every channel byte v of the RGB pixels becomes lut[v].
int ApplyToneCurve(uint8_t* rgb, int width, int height, const uint8_t* lut);

}  // namespace vig::processing
