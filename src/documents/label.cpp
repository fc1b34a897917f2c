// Labels of contact sheets: the face named by the settings, found through
// fontconfig and rendered with FreeType (8-bit anti-aliased) into a scratch
// image, which is copied onto the sheet keyed on its background colour.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>
#include <vector>

#include "documents/composite.h"
#include "processing/compositing.h"

namespace vig::documents {
namespace {

constexpr image::PackedColour kBlack = 0x000000;
constexpr image::PackedColour kWhite = 0xFFFFFF;
// Larger cells are refused: every glyph is rendered whole before clipping.
constexpr int kMaxFontSize = 4096;

// The face of the last label drawn on this thread, kept for the next one.
class FontCache {
public:
    ~FontCache() {
        Release();
        if (config_ != nullptr) FcConfigDestroy(config_);
    }

    // Makes the face of `name` at cell height `size` current.
    image::ErrorCode Use(const std::string& name, int size) {
        if (face_ != nullptr && name == name_ && size == size_) return image::ErrNone;
        Release();
        if (size < 1 || size > kMaxFontSize) return image::ErrCreateFont;
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return image::ErrCreateFont;
        }
        std::string file;
        int index = 0;
        if (!FindFontFile(name, &file, &index) ||
            FT_New_Face(library_, file.c_str(), index, &face_) != 0) {
            face_ = nullptr;
            Release();
            return image::ErrCreateFont;
        }
        if (!SetCellHeight(size)) {
            Release();
            return image::ErrCreateFont;
        }
        name_ = name;
        size_ = size;
        return image::ErrNone;
    }

    FT_Face face() const { return face_; }
    int ascent() const { return ascent_; }
    int cellHeight() const { return size_; }
    std::string familyName() const {
        return face_ != nullptr && face_->family_name != nullptr ? face_->family_name : "";
    }

private:
    void Release() {
        if (face_ != nullptr) FT_Done_Face(face_);
        if (library_ != nullptr) FT_Done_FreeType(library_);
        face_ = nullptr;
        library_ = nullptr;
        name_.clear();
        size_ = 0;
    }

    // The best match for the family, of normal weight and upright; a name
    // that matches nothing falls back to a fixed-pitch face. The thread's
    // own fontconfig configuration is loaded once and released with it.
    bool FindFontFile(const std::string& name, std::string* file, int* index) {
        if (config_ == nullptr) config_ = FcInitLoadConfigAndFonts();
        if (config_ == nullptr) return false;
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr) return false;
        if (!name.empty())
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
        FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcConfigSubstitute(config_, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config_, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr) return false;
        FcChar8* path = nullptr;
        bool found =
            FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
        if (found) {
            file->assign(reinterpret_cast<const char*>(path));
            int i = 0;
            *index = FcPatternGetInteger(match, FC_INDEX, 0, &i) == FcResultMatch ? i : 0;
        }
        FcPatternDestroy(match);
        return found;
    }

    // Scales the face so that its character cell (the Windows ascent plus
    // descent) is `size` pixels high.
    bool SetCellHeight(int size) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        if (FT_IS_SCALABLE(face_) && os2 != nullptr && os2->version != 0xFFFF &&
            os2->usWinAscent + os2->usWinDescent > 0) {
            const double cell = static_cast<double>(os2->usWinAscent) + os2->usWinDescent;
            FT_Size_RequestRec request{};
            request.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
            request.height = static_cast<FT_Long>(size * 64.0 * face_->units_per_EM / cell + 0.5);
            if (FT_Request_Size(face_, &request) != 0) return false;
            ascent_ = static_cast<int>(os2->usWinAscent * size / cell + 0.5);
            return true;
        }
        if (FT_IS_SCALABLE(face_)) {
            FT_Size_RequestRec request{};
            request.type = FT_SIZE_REQUEST_TYPE_CELL;
            request.height = static_cast<FT_Long>(size) * 64;
            if (FT_Request_Size(face_, &request) != 0) return false;
        } else if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(size)) != 0) {
            return false;
        }
        ascent_ = static_cast<int>((face_->size->metrics.ascender + 63) / 64);
        return true;
    }

    FcConfig* config_ = nullptr;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    std::string name_;
    int size_ = 0;
    int ascent_ = 0;
};

thread_local FontCache tFont;

// UTF-8 to code points; a byte that does not start a valid sequence stands
// for itself (Latin-1).
std::vector<char32_t> DecodeText(const std::string& text) {
    std::vector<char32_t> out;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        int len = b < 0x80           ? 1
                  : (b >> 5) == 0x6  ? 2
                  : (b >> 4) == 0xE  ? 3
                  : (b >> 3) == 0x1E ? 4
                                     : 0;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + static_cast<size_t>(len) <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((s[i + static_cast<size_t>(k)] & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (s[i + static_cast<size_t>(k)] & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok && (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (!ok) {
            out.push_back(b);
            ++i;
        } else {
            out.push_back(cp);
            i += static_cast<size_t>(len);
        }
    }
    return out;
}

// Coverage of one rendered glyph into the box's coverage map, its bitmap's
// top-left corner at (left, top) in box coordinates.
void AddCoverage(const FT_Bitmap& bitmap, int left, int top, uint8_t* cover, int boxWidth,
                 int boxHeight) {
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const int rows = static_cast<int>(bitmap.rows);
    const int width = static_cast<int>(bitmap.width);
    const int grays = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (int r = 0; r < rows; ++r) {
        const int y = top + r;
        if (y < 0 || y >= boxHeight) continue;
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(r) * bitmap.pitch;
        if (bitmap.pitch < 0)
            row = bitmap.buffer + static_cast<ptrdiff_t>(rows - 1 - r) * -bitmap.pitch;
        for (int c = 0; c < width; ++c) {
            const int x = left + c;
            if (x < 0 || x >= boxWidth) continue;
            int v = mono ? ((row[c >> 3] >> (7 - (c & 7))) & 1) * 255 : row[c] * 255 / grays;
            uint8_t& dst = cover[static_cast<size_t>(y) * static_cast<size_t>(boxWidth) +
                                 static_cast<size_t>(x)];
            if (v > dst) dst = static_cast<uint8_t>(std::min(v, 255));
        }
    }
}

void SetPixel(uint8_t* p, image::PackedColour c) {
    p[0] = static_cast<uint8_t>(c & 0xFF);
    p[1] = static_cast<uint8_t>((c >> 8) & 0xFF);
    p[2] = static_cast<uint8_t>((c >> 16) & 0xFF);
}

}  // namespace

std::string LabelFontFamily(const std::string& fontName, int fontSize) {
    if (tFont.Use(fontName, fontSize) != image::ErrNone) return {};
    return tFont.familyName();
}

image::ErrorCode DrawLabel(uint8_t* pixels, int width, int height, const std::string& text,
                           const std::string& fontName, int fontSize, int x, int y,
                           image::PackedColour textColour) {
    if (pixels == nullptr || width <= 0 || height <= 0) return image::ErrParameter;
    if (x > width || y > height) return image::ErrNone;
    const image::ErrorCode fontCode = tFont.Use(fontName, fontSize);
    if (fontCode != image::ErrNone) return fontCode;
    FT_Face face = tFont.face();

    // Measure: the sum of the advances, one cell high.
    const std::vector<char32_t> chars = DecodeText(text);
    std::vector<FT_UInt> glyphs;
    glyphs.reserve(chars.size());
    long long textWidth = 0;
    for (const char32_t c : chars) {
        const FT_UInt g = FT_Get_Char_Index(face, c);
        glyphs.push_back(g);
        if (FT_Load_Glyph(face, g, FT_LOAD_DEFAULT) == 0)
            textWidth += (face->glyph->advance.x + 32) >> 6;
    }
    const long long textHeight = tFont.cellHeight();

    // The label box, clipped to the sheet.
    const long long bx0 = std::max<long long>(x, 0);
    const long long by0 = std::max<long long>(y, 0);
    const long long bx1 = std::min<long long>(static_cast<long long>(x) + textWidth, width);
    const long long by1 = std::min<long long>(static_cast<long long>(y) + textHeight, height);
    if (bx1 <= bx0 || by1 <= by0) return image::ErrNone;
    const int boxWidth = static_cast<int>(bx1 - bx0);
    const int boxHeight = static_cast<int>(by1 - by0);

    std::vector<uint8_t> cover;
    image::PixelBlock scratch;
    try {
        cover.assign(static_cast<size_t>(boxWidth) * static_cast<size_t>(boxHeight), 0);
    } catch (const std::bad_alloc&) {
        return image::ErrDeviceContext;
    }
    if (!scratch.AllocateRgb(boxWidth, boxHeight)) return image::ErrDeviceContext;

    // Render at the text's origin, (x, y) on the sheet.
    long long pen = x - bx0;
    const long long baseline = y - by0 + tFont.ascent();
    for (const FT_UInt g : glyphs) {
        if (pen >= boxWidth) break;
        if (FT_Load_Glyph(face, g, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_BITMAP)
            AddCoverage(slot->bitmap, static_cast<int>(pen + slot->bitmap_left),
                        static_cast<int>(baseline - slot->bitmap_top), cover.data(), boxWidth,
                        boxHeight);
        pen += (slot->advance.x + 32) >> 6;
    }

    // Black text is drawn black on white, any other colour white on black;
    // the drawn colour then becomes the text colour. Anti-aliased edges are
    // the text colour over the scratch background in proportion to their
    // coverage, and are copied like text; only pixels exactly equal to the
    // background stay behind.
    const image::PackedColour background = textColour == kBlack ? kWhite : kBlack;
    const image::PackedColour drawn = textColour == kBlack ? kBlack : kWhite;
    uint8_t* p = scratch.data();
    for (const uint8_t c : cover) {
        if (c == 0) {
            SetPixel(p, background);
        } else if (c == 255) {
            SetPixel(p, drawn);
        } else {
            for (int k = 0; k < 3; ++k) {
                const int b = static_cast<int>((background >> (8 * k)) & 0xFF);
                const int t = static_cast<int>((textColour >> (8 * k)) & 0xFF);
                p[k] = static_cast<uint8_t>(b + ((t - b) * c + (t >= b ? 127 : -127)) / 255);
            }
        }
        p += 3;
    }
    processing::ReplaceColour(scratch.data(), boxWidth, boxHeight, drawn, textColour);
    if (processing::BlendRectKeyed(pixels, width, height, scratch.data(), boxWidth, boxHeight,
                                   static_cast<int>(bx0), static_cast<int>(by0), 1.0,
                                   background) != 0)
        return image::ErrParameter;
    return image::ErrNone;
}

}  // namespace vig::documents
