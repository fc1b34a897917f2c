// Library-wide PNG state: the background behind transparent pixels (which
// the HEIF and WebP readers composite over too), the
// screen gamma, the text chunks read from the last PNG decoded and the text
// chunks to write into the next PNG encoded. Per thread, like all library
// state. The image object fills it around every PNG operation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vig::image {

struct PngTextEntry {
    bool compressed = false;
    std::string text;
    std::string key;

    bool operator==(const PngTextEntry&) const = default;
};

struct PngBackground {
    uint8_t index = 0;
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    uint16_t gray = 0;
};

void PngSetBackground(uint8_t index, uint16_t red, uint16_t green, uint16_t blue, uint16_t gray);
PngBackground PngGetBackground();

// Returns the previous value. The initial screen gamma is 2.9.
double PngSetScreenGamma(double gamma);
double PngGetScreenGamma();

// Empties both text lists.
void PngClearTextLists();
// Adds to the write list; an entry with an empty key is ignored.
void PngAddWriteText(const std::string& key, const std::string& text, bool compressed);
const std::vector<PngTextEntry>& PngWriteTextList();
void PngClearWriteTextList();

// The read list, filled by the PNG reader.
void PngAddReadText(const std::string& key, const std::string& text, bool compressed);
void PngClearReadTextList();
const std::vector<PngTextEntry>& PngReadTextList();

}  // namespace vig::image
