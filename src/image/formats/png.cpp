#include "image/formats/png.h"

#include <malloc.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "image/colour_profile.h"
#include "image/formats/file_open.h"
#include "image/image_library.h"
#include "image/png_state.h"
#include "image/row_target.h"
#include "processing/resample.h"

namespace vig::image::png {
namespace {

// libpng leaves its error function through the jump buffer of the png
// structure, back into the decode or encode function. Those functions keep
// their state in a context struct owned by the caller and hold only
// trivially destructible objects, so the jump never skips a destructor.

[[noreturn]] void ErrorFn(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}
void WarningFn(png_structp /*png*/, png_const_charp /*message*/) {}

// Gamma correction needs a positive screen gamma whose reciprocal libpng can
// hold; any other value leaves the pixels uncorrected.
bool UsableScreenGamma(double gamma) {
    return std::isfinite(gamma) && gamma >= 0.01 && gamma <= 100.0;
}

constexpr png_alloc_size_t kMaxChunkBytes = 64u << 20;
// All that libpng holds at once outside its row buffers: the texts it keeps
// and the chunk being read. A file with many large compressed texts loses
// the texts beyond it (libpng warns and reads on), not the program its
// memory. Real files hold texts of a few kilobytes.
constexpr size_t kMaxHeldBytes = 32u << 20;
// Once that is used up, later chunks get no more than this: texts are no
// longer even decompressed, while the critical chunks (a palette is at most
// 768 bytes; image data has its own limit) still fit.
constexpr png_alloc_size_t kExhaustedChunkBytes = 4096;

// A text keyword needs at least one printable Latin-1 character; libpng
// fails the whole file on any other, so such an entry is left out.
bool WritableKeyword(const std::string& key) {
    for (const unsigned char ch : key)
        if ((ch > 32 && ch <= 126) || ch >= 161) return true;
    return false;
}

struct ReadContext {
    // libpng only warns about a chunk that declares more than the chunk
    // limit and then asks for its length in memory: its allocations are
    // held to allocLimit, raised only while it sets up its row buffers.
    png_alloc_size_t allocLimit;
    // Bytes libpng holds now, and what it may hold.
    size_t held;
    size_t heldLimit;
    std::FILE* file;
    png_structp png;
    png_infop info;
    RowTarget* target;         // owned by the caller
    ColourTransform* colour;   // owned by the caller
    const DecodeHints* hints;  // owned by the caller
    DecodeInfo* found;         // owned by the caller
    PixelBlock* passes;        // owned by the caller: an interlaced picture being reduced
    PngBackground background;
    double screenGamma;
    ErrorCode code;
};

void SetCode(ErrorCode* slot, ErrorCode code) {
    if (*slot == ErrNone) *slot = code;
}

// Gives a new png structure its info structure; false (ErrPngCreate) when
// libpng could not make either. Sizes are judged by the pixel block they
// need, not by libpng's default width and height limits.
bool CreateInfo(png_structp png, png_infop* info, ErrorCode* code) {
    *info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (*info == nullptr) {
        *code = ErrPngCreate;
        return false;
    }
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    return true;
}

png_color_16 ToPng(const PngBackground& b) {
    png_color_16 colour;
    colour.index = b.index;
    colour.red = b.red;
    colour.green = b.green;
    colour.blue = b.blue;
    colour.gray = b.gray;
    return colour;
}

png_voidp LimitedMalloc(png_structp png, png_alloc_size_t size) {
    auto* c = static_cast<ReadContext*>(png_get_mem_ptr(png));
    if (c != nullptr && size > c->allocLimit) return nullptr;
    if (c != nullptr && (c->held > c->heldLimit || size > c->heldLimit - c->held)) {
        // Once the texts have used up what they may hold, later ones are
        // not even decompressed.
        if (png == c->png) png_set_chunk_malloc_max(png, kExhaustedChunkBytes);
        return nullptr;
    }
    void* p = std::malloc(size);
    if (p != nullptr && c != nullptr) c->held += malloc_usable_size(p);
    return p;
}

void Free(png_structp png, png_voidp p) {
    auto* c = static_cast<ReadContext*>(png_get_mem_ptr(png));
    if (p != nullptr && c != nullptr) c->held -= malloc_usable_size(p);
    std::free(p);
}

// Whether the row target will make the planned reduction of a picture of
// this size (the box averager takes it).
bool Reduces(const DecodePlan& plan, int width, int height) {
    processing::BoxGeometry geometry;
    return plan.reduceWidth > 0 && plan.reduceHeight > 0 && plan.reduceWidth <= width &&
           plan.reduceHeight <= height &&
           processing::BoxGeometry::Make(width, height, plan.reduceWidth, plan.reduceHeight, true,
                                         &geometry);
}

// What libpng holds while it reads rows: the row being unfiltered and the
// one before it, of up to 8 bytes a pixel, and the inflate state with its
// window.
size_t LibpngWorkingBytes(png_uint_32 width) {
    return 2 * (8 * static_cast<size_t>(width) + 1) + (64u << 10);
}

// Only trivially destructible objects live here (see above).
void Decode(ReadContext* c) {
    c->allocLimit = kMaxChunkBytes;
    c->held = 0;
    c->heldLimit = kMaxHeldBytes;
    c->png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn, c,
                                      LimitedMalloc, Free);
    if (!CreateInfo(c->png, &c->info, &c->code)) return;
    if (setjmp(png_jmpbuf(c->png)) != 0) {
        SetCode(&c->code, ErrInvalidPng);
        return;
    }
    png_structp png = c->png;
    png_infop info = c->info;
    // An ancillary chunk (or its decompressed text) is never given more
    // memory than this, whatever length it declares.
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_init_io(png, c->file);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
    size_t bytes = 0;
    if (!BlockSize(width, height, 3, &bytes) || !BlockSize(width, 1, 8, &bytes)) {
        c->code = ErrOutOfMemory;
        return;
    }

    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_expand(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        if (depth < 8) png_set_expand(png);
        png_set_gray_to_rgb(png);
    }
    if (depth == 16) png_set_strip_16(png);

    // A profile libpng kept (it drops one that does not suit the picture's
    // colour type or whose header is inconsistent) is converted to sRGB.
    png_charp profileName = nullptr;
    int profileCompression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (ConvertsProfiles(*c->hints, false) &&
        png_get_iCCP(png, info, &profileName, &profileCompression, &profile, &profileLength) != 0) {
        c->found->profile = c->colour->FromIcc(profile, profileLength);
        c->colour->AttachTo(*c->target);
    }

    png_color_16p fileBackground = nullptr;
    if (png_get_bKGD(png, info, &fileBackground) != 0 && fileBackground != nullptr) {
        png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
        const png_color_16 background = ToPng(c->background);
        png_set_background(png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
    // The profile, when it converts, describes the file's tone curve too
    // (gAMA then only repeats it): no gamma correction besides.
    if (UsableScreenGamma(c->screenGamma) && !c->colour->active()) {
        // Without a gAMA chunk the image gamma is the reciprocal of the
        // screen gamma, which leaves the values as they are.
        double imageGamma = 0.0;
        if (png_get_gAMA(png, info, &imageGamma) == 0 || !(imageGamma > 0.0))
            imageGamma = 1.0 / c->screenGamma;
        png_set_gamma(png, c->screenGamma, imageGamma);
    }

    const int passes = png_set_interlace_handling(png);
    // Rows of up to 8 bytes a pixel, twice over, before the transformations.
    // The row buffers do not count against what the texts may hold.
    c->allocLimit = std::max<png_alloc_size_t>(kMaxChunkBytes, 16 * png_alloc_size_t{width} + 4096);
    const size_t heldBefore = c->held;
    c->heldLimit = SIZE_MAX;
    png_read_update_info(png, info);
    c->heldLimit = kMaxHeldBytes + (c->held - heldBefore);
    c->allocLimit = kMaxChunkBytes;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (png_get_rowbytes(png, info) != rowBytes) {
        c->code = ErrInternal;
        return;
    }
    const int cols = static_cast<int>(width);
    const int rows = static_cast<int>(height);
    c->found->fullWidth = cols;
    c->found->fullHeight = rows;
    const DecodePlan plan = PlanFor(c->hints, cols, rows);
    // Each pass of an interlaced picture adds pixels to rows that hold the
    // earlier passes, so the whole picture is held until the last pass. When
    // it is to be reduced it is held apart, as working memory, and given to
    // the target row by row at the end; otherwise the target holds it whole
    // and the passes land in its rows.
    const bool held = passes > 1 && Reduces(plan, cols, rows);
    size_t working = LibpngWorkingBytes(width);
    if (held) working += rowBytes * height;
    if (const ErrorCode started = c->target->Start(
            cols, rows, 1, true, passes > 1 && !held ? DecodePlan() : plan, working);
        started != ErrNone) {
        c->code = started;
        return;
    }
    if (held && !c->passes->AllocateRgb(width, height)) {
        c->code = ErrOutOfMemory;
        return;
    }
    for (int pass = 0; pass < passes; ++pass) {
        const bool last = pass == passes - 1;
        for (int y = 0; y < rows; ++y) {
            uint8_t* row =
                held ? c->passes->data() + static_cast<size_t>(y) * rowBytes : c->target->Row(y);
            png_read_row(png, row, nullptr);
            if (last && !held) c->target->RowDone(y);
            if (ReportProgress(y, rows) == 0) {
                c->code = ErrCancelled;
                return;
            }
        }
    }
    if (held) {
        const uint8_t* row = c->passes->data();
        for (int y = 0; y < rows; ++y, row += rowBytes) {
            std::memcpy(c->target->Row(y), row, rowBytes);
            c->target->RowDone(y);
        }
        c->passes->Reset();
    }
    png_read_end(png, info);
}

struct WriteContext {
    const char* path;
    std::FILE* file;  // closed by the caller
    png_structp png;
    png_infop info;
    const uint8_t* pixels;
    int width;
    int height;
    bool palette;
    int colours;
    png_color plte[256];
    png_textp texts;  // owned by the caller
    int textCount;
    PngBackground background;
    double fileGamma;
    ErrorCode code;
};

// Only trivially destructible objects live here (see above).
void Encode(WriteContext* c) {
    c->file = std::fopen(c->path, "wb");
    if (c->file == nullptr) {
        c->code = ErrOpenFile;
        return;
    }
    c->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
    if (!CreateInfo(c->png, &c->info, &c->code)) return;
    if (setjmp(png_jmpbuf(c->png)) != 0) {
        SetCode(&c->code, ErrPngCreate);
        return;
    }
    png_structp png = c->png;
    png_infop info = c->info;
    png_init_io(png, c->file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(c->width), static_cast<png_uint_32>(c->height),
                 8, c->palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (c->palette) png_set_PLTE(png, info, c->plte, c->colours);

    std::time_t now = std::time(nullptr);
    std::tm utc;
    if (gmtime_r(&now, &utc) != nullptr) {
        png_time stamp;
        png_convert_from_struct_tm(&stamp, &utc);
        png_set_tIME(png, info, &stamp);
    }
    const png_color_16 background = ToPng(c->background);
    png_set_bKGD(png, info, &background);
    // gAMA holds the gamma in hundred-thousandths. libpng's range check
    // refuses values outside 16..625000000 (failing the file); those are
    // written as they are in a chunk of our own, where libpng puts gAMA.
    bool ownGamma = false;
    png_byte gammaBytes[4] = {};
    if (c->fileGamma > 0.0) {
        const double scaled = std::floor(c->fileGamma * 100000.0 + 0.5);
        if (scaled >= 16.0 && scaled <= 625000000.0) {
            png_set_gAMA(png, info, c->fileGamma);
        } else {
            ownGamma = true;
            png_save_uint_32(gammaBytes, scaled >= 4294967295.0 ? 0xFFFFFFFFu
                                                                : static_cast<png_uint_32>(scaled));
        }
    }
    if (c->textCount > 0) png_set_text(png, info, c->texts, c->textCount);

    png_write_info_before_PLTE(png, info);
    if (ownGamma) png_write_chunk(png, reinterpret_cast<png_const_bytep>("gAMA"), gammaBytes, 4);
    png_write_info(png, info);
    png_set_packing(png);
    const int passes = png_set_interlace_handling(png);
    const size_t rowBytes = static_cast<size_t>(c->width) * (c->palette ? 1 : 3);
    for (int pass = 0; pass < passes; ++pass) {
        const uint8_t* row = c->pixels;
        for (int y = 0; y < c->height; ++y, row += rowBytes) {
            png_write_row(png, row);
            if (ReportProgress(y, c->height) == 0) {
                c->code = ErrCancelled;
                png_write_end(png, info);
                return;
            }
        }
    }
    png_write_end(png, info);
}

// Writes an RGB file, or a palette file of `colours` entries (blue, green,
// red, 0) when `palette` is given.
int WriteFile(const std::string& path, const uint8_t* pixels, int width, int height,
              const uint8_t* palette, int colours, double fileGamma) {
    ImageStatus status;
    size_t bytes = 0;
    if (pixels == nullptr || !BlockSize(width, height, 3, &bytes)) {
        status.Fail(ErrParameter);
        return 0;
    }
    WriteContext c{};
    c.path = path.c_str();
    c.pixels = pixels;
    c.width = width;
    c.height = height;
    c.palette = palette != nullptr;
    c.colours = colours;
    for (int i = 0; i < colours; ++i) {
        c.plte[i].red = palette[4 * i + 2];
        c.plte[i].green = palette[4 * i + 1];
        c.plte[i].blue = palette[4 * i];
    }
    c.fileGamma = fileGamma;
    // Text records point into the write list, which libpng copies.
    const std::vector<PngTextEntry>& list = PngWriteTextList();
    std::vector<png_text> texts;
    texts.reserve(list.size());
    for (const PngTextEntry& e : list) {
        if (!WritableKeyword(e.key)) continue;
        png_text& t = texts.emplace_back();
        // An empty text is always written as a plain chunk.
        t.compression =
            e.compressed && !e.text.empty() ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
        t.key = const_cast<png_charp>(e.key.c_str());
        t.text = const_cast<png_charp>(e.text.c_str());
        t.text_length = e.text.size();
    }
    c.texts = texts.data();
    c.textCount = static_cast<int>(texts.size());
    c.background = PngGetBackground();
    c.code = ErrNone;
    Encode(&c);
    if (c.png != nullptr) png_destroy_write_struct(&c.png, &c.info);
    if (c.file != nullptr && std::fclose(c.file) != 0) SetCode(&c.code, ErrWriteFile);
    PngClearWriteTextList();
    if (c.code != ErrNone) {
        status.Fail(c.code);
        return 0;
    }
    return 1;
}

}  // namespace

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadHinted(path, DecodeHints(), &info, width, height);
}

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    ImageStatus status;
    *info = DecodeInfo();
    PngClearReadTextList();
    std::FILE* file = OpenStreamForReading(path, width, height, status);
    if (file == nullptr) return {};
    ColourTransform colour;
    RowTarget target;
    PixelBlock passes;
    ReadContext context{};
    context.file = file;
    context.target = &target;
    context.colour = &colour;
    context.hints = &hints;
    context.found = info;
    context.passes = &passes;
    context.background = PngGetBackground();
    context.screenGamma = PngGetScreenGamma();
    context.code = ErrNone;
    Decode(&context);
    if (context.code == ErrNone) {
        png_textp text = nullptr;
        int count = 0;
        png_get_text(context.png, context.info, &text, &count);
        for (int i = 0; i < count; ++i) {
            const png_text& t = text[i];
            const size_t length =
                t.compression >= PNG_ITXT_COMPRESSION_NONE ? t.itxt_length : t.text_length;
            if (t.key == nullptr || t.text == nullptr || length == 0) continue;
            PngAddReadText(t.key, std::string(t.text, length),
                           t.compression == PNG_TEXT_COMPRESSION_zTXt);
        }
    }
    if (context.png != nullptr) png_destroy_read_struct(&context.png, &context.info, nullptr);
    std::fclose(file);
    if (context.code != ErrNone) {
        *info = DecodeInfo();
        status.Fail(context.code);
        return {};
    }
    PixelBlock block = target.Finish(width, height);
    info->reduced = target.reduced();
    if (block.empty()) {
        *info = DecodeInfo();
        status.Fail(ErrOutOfMemory);
    }
    return block;
}

int Write24(const std::string& path, const uint8_t* rgb, int width, int height, double fileGamma) {
    return WriteFile(path, rgb, width, height, nullptr, 0, fileGamma);
}

int WritePalette(const std::string& path, const uint8_t* indices, int width, int height,
                 int colours, const uint8_t* palette, double fileGamma) {
    if (palette == nullptr || colours < 1 || colours > 256) {
        ImageStatus status;
        status.Fail(ErrParameter);
        return 0;
    }
    return WriteFile(path, indices, width, height, palette, colours, fileGamma);
}

int WriteRgbEntry(const WriteRequest& request) {
    return Write24(request.path, request.rgb, request.width, request.height, request.fileGamma);
}

int WritePaletteEntry(const WriteRequest& request) {
    return WritePalette(request.path, request.indices, request.width, request.height,
                        request.paletteColours, request.palette, request.fileGamma);
}

}  // namespace vig::image::png
