// Contact sheets: the grid, the placing of thumbnails, and saving.
#include "documents/composite.h"

#include <algorithm>
#include <climits>

#include "processing/compositing.h"

namespace vig::documents {

long long CPxCompositeImg::SheetWidth(int cellWidth, int cols) {
    return static_cast<long long>(cellWidth) * (static_cast<long long>(cols) + 1) +
           static_cast<long long>(kCompositeGap) * cols - kCompositeGap;
}

long long CPxCompositeImg::SheetHeight(int cellHeight, int rows) {
    return SheetWidth(cellHeight, rows);
}

int CPxCompositeImg::CellX(int k) const {
    return (k % cols_) * (cellWidth_ + kCompositeGap) + cellWidth_ / 2;
}

int CPxCompositeImg::CellY(int k) const {
    return (k / cols_) * (cellHeight_ + kCompositeGap) + cellHeight_ / 2;
}

image::ErrorCode CPxCompositeImg::Setup(int cellWidth, int cellHeight, int cols, int rows,
                                        image::PackedColour backColour, const std::string& fontName,
                                        int fontSize, image::PackedColour textColour) {
    cols_ = std::max(1, cols);
    rows_ = std::max(1, rows);
    cellWidth_ = cellWidth;
    cellHeight_ = cellHeight;
    fontSize_ = fontSize;
    fontName_ = fontName;
    backColour_ = backColour;
    textColour_ = textColour;
    return Reset();
}

image::ErrorCode CPxCompositeImg::Reset() {
    Free();
    count_ = 0;
    if (cellWidth_ < 1 || cellHeight_ < 1) return image::ErrParameter;
    const long long w = SheetWidth(cellWidth_, cols_);
    const long long h = SheetHeight(cellHeight_, rows_);
    image::PixelBlock block;
    // BlockSize refuses sheets over 2^31-1 bytes, so both sides fit an int.
    if (w > INT_MAX || h > INT_MAX || !block.AllocateRgb(w, h)) return image::ErrOutOfMemory;
    if (backColour_ != 0) {
        const uint8_t r = backColour_ & 0xFF, g = (backColour_ >> 8) & 0xFF,
                      b = (backColour_ >> 16) & 0xFF;
        uint8_t* p = block.data();
        for (size_t i = 0; i < block.size(); i += 3) {
            p[i] = r;
            p[i + 1] = g;
            p[i + 2] = b;
        }
    }
    Adopt(std::move(block), static_cast<int>(w), static_cast<int>(h));
    return image::ErrNone;
}

bool CPxCompositeImg::IsFull() const {
    return count_ >= static_cast<long long>(rows_) * cols_;
}

image::ErrorCode CPxCompositeImg::AddImage(const image::CPxImage& thumbnail,
                                           const std::string& label) {
    if (empty() || thumbnail.empty() || IsFull()) return image::ErrParameter;
    const int k = count_;
    const int cx = CellX(k);
    const int cy = CellY(k);
    // A thumbnail smaller than the cell sits in its top-left corner; one as
    // large or larger is centred on it and overflows both sides equally.
    const int tw = thumbnail.width();
    const int th = thumbnail.height();
    const long long dx = tw < cellWidth_ ? 0 : (static_cast<long long>(cellWidth_) - tw) / 2;
    const long long dy = th < cellHeight_ ? 0 : (static_cast<long long>(cellHeight_) - th) / 2;

    image::ErrorCode code = image::ErrNone;
    if (processing::BlendRect(data(), width(), height(), thumbnail.data(), tw, th,
                              static_cast<int>(cx + dx), static_cast<int>(cy + dy), 1.0) != 0)
        code = image::ErrParameter;
    if (!label.empty()) {
        const long long ly = static_cast<long long>(cy) + th;
        const image::ErrorCode labelCode =
            ly > height() ? image::ErrNone
                          : DrawLabel(data(), width(), height(), label, fontName_, fontSize_, cx,
                                      static_cast<int>(ly), textColour_);
        if (code == image::ErrNone) code = labelCode;
    }
    ++count_;
    return code;
}

}  // namespace vig::documents
