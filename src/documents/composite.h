// Contact sheets: thumbnails tiled in a grid with their file names below.
#pragma once

#include <string>

#include "image/cpx_image.h"

namespace vig {

class CPxCompositeImg : public CPxImage {
public:
    // Stores the geometry and look, then Reset().
    ErrorCode Setup(int cellWidth, int cellHeight, int cols, int rows, PackedColour backColour,
                    const std::string& fontName, int fontSize, PackedColour textColour);
    // A fresh sheet in the background colour; count 0.
    ErrorCode Reset();
    bool IsFull() const;
    // Copies the thumbnail into the next cell and draws the label below it.
    ErrorCode AddImage(const CPxImage& thumbnail, const std::string& label);
    int count() const { return count_; }

private:
    int cols_ = 0;
    int rows_ = 0;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    int count_ = 0;
    int fontSize_ = 0;
    std::string fontName_;
    PackedColour backColour_ = 0;
    PackedColour textColour_ = 0;
};

// Draws `text` with its top-left corner at (x, y) into an RGB sheet.
ErrorCode DrawLabel(uint8_t* pixels, int width, int height, const std::string& text,
                    const std::string& fontName, int fontSize, int x, int y,
                    PackedColour textColour);

}  // namespace vig
