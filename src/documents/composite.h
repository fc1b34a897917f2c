// Contact sheets: thumbnails tiled in a grid with their file names below.
#pragma once

#include <string>

#include "image/cpx_image.h"

namespace vig::documents {

// The gap between cells, in pixels.
inline constexpr int kCompositeGap = 30;

class CPxCompositeImg : public image::CPxImage {
public:
    // Stores the geometry and look, then Reset(). Columns and rows below 1
    // count as 1; cells smaller than 1 x 1 give ErrParameter and no sheet.
    image::ErrorCode Setup(int cellWidth, int cellHeight, int cols, int rows,
                           image::PackedColour backColour, const std::string& fontName,
                           int fontSize, image::PackedColour textColour);
    // A fresh sheet in the background colour; count 0. ErrOutOfMemory (and
    // no sheet) when it cannot be allocated.
    image::ErrorCode Reset();
    bool IsFull() const;
    // Copies the thumbnail into the next cell and draws the label below it.
    image::ErrorCode AddImage(const image::CPxImage& thumbnail, const std::string& label);
    int count() const { return count_; }

    // Sheet size for the geometry: a half-cell margin around the grid and
    // a gap of kCompositeGap between cells.
    static long long SheetWidth(int cellWidth, int cols);
    static long long SheetHeight(int cellHeight, int rows);
    // Top-left corner of cell k on the current geometry.
    int CellX(int k) const;
    int CellY(int k) const;

private:
    int cols_ = 0;
    int rows_ = 0;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    int count_ = 0;
    int fontSize_ = 0;
    std::string fontName_;
    image::PackedColour backColour_ = 0;
    image::PackedColour textColour_ = 0;
};

// Draws `text` with its top-left corner at (x, y) into an RGB sheet, in the
// face fontName (found through fontconfig) with a character cell fontSize
// pixels high. ErrCreateFont when no face can be loaded.
image::ErrorCode DrawLabel(uint8_t* pixels, int width, int height, const std::string& text,
                           const std::string& fontName, int fontSize, int x, int y,
                           image::PackedColour textColour);

// The family name of the face DrawLabel uses for fontName ("" when none can
// be loaded).
std::string LabelFontFamily(const std::string& fontName, int fontSize);

}  // namespace vig::documents
