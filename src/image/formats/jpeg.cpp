#include "image/formats/jpeg.h"

#include <sys/stat.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "image/colour_profile.h"
#include "image/exif.h"
#include "image/formats/file_open.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::jpeg {
namespace {

// libjpeg leaves its fatal-error exit through a jump back into the decode or
// encode function. Those functions keep every piece of state in a context
// struct owned by their caller and hold only trivially destructible objects,
// so the jump never skips a destructor.

constexpr char kFatalTitle[] = "JPEG Fatal Error";
constexpr char kMessageTitle[] = "JPEG Error";

thread_local bool tShowMessages = false;
thread_local CodecMessageSink tSink = nullptr;

struct ErrorManager {
    jpeg_error_mgr pub;  // first, so libjpeg's pointer is ours too
    std::jmp_buf jump;
    ErrorCode fatalCode;
    // Set while scanlines are being read: a premature end of the data
    // noticed then marks the first row that was not decoded.
    bool inScanlines;
    long long firstLostRow;
};

void ShowMessage(j_common_ptr cinfo, const char* title) {
    if (!tShowMessages) return;
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    if (tSink != nullptr) {
        tSink(title, text);
    } else {
        std::fprintf(stderr, "%s: %s\n", title, text);
    }
}

void OutputMessage(j_common_ptr cinfo) {
    ShowMessage(cinfo, kMessageTitle);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0) {
        // A warning: libjpeg goes on decoding.
        if (err->pub.num_warnings == 0 || err->pub.trace_level >= 3)
            (*err->pub.output_message)(cinfo);
        err->pub.num_warnings++;
        // The data ending early, or a marker cutting the entropy data short,
        // leaves nothing more to decode: the rest is treated as missing
        // rather than decoded from nothing, row after row.
        const int code = err->pub.msg_code;
        if ((code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) && cinfo->is_decompressor &&
            err->inScanlines && err->firstLostRow < 0) {
            err->firstLostRow = reinterpret_cast<j_decompress_ptr>(cinfo)->output_scanline;
        }
    } else if (err->pub.trace_level >= level) {
        (*err->pub.output_message)(cinfo);
    }
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    ShowMessage(cinfo, kFatalTitle);
    // Memory refused by libjpeg (including the cap on its working memory)
    // is an out-of-memory failure; everything else means a bad file.
    const int code = err->pub.msg_code;
    err->fatalCode = (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE) ? ErrOutOfMemory
                                                                                   : ErrInvalidJpg;
    std::longjmp(err->jump, 1);
}

void InitErrorManager(ErrorManager* err) {
    jpeg_std_error(&err->pub);
    err->pub.error_exit = ErrorExit;
    err->pub.output_message = OutputMessage;
    err->pub.emit_message = EmitMessage;
    err->fatalCode = ErrInvalidJpg;
    err->inScanlines = false;
    err->firstLostRow = -1;
}

// More scans than any encoder writes: a file with thousands of scans costs
// a pass over the whole picture for each, so it is refused (as djpeg's
// -maxscans does).
constexpr int kMaxScans = 500;

[[noreturn]] void Abort(j_common_ptr cinfo, ErrorCode code) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->fatalCode = code;
    std::longjmp(err->jump, 1);
}

// Called by libjpeg between pieces of work: limits the scans and lets a stop
// request end a long decode.
void MonitorProgress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        Abort(cinfo, ErrInvalidJpg);
    if (StopRequestedNow()) Abort(cinfo, ErrCancelled);
}

struct DecodeContext {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    std::FILE* file;       // read through stdio, when there are no bytes
    const uint8_t* bytes;  // the whole file, owned by the caller
    size_t size;
    RowTarget* target;         // owned by the caller
    ColourTransform* colour;   // owned by the caller
    const DecodeHints* hints;  // owned by the caller; nullptr for none
    DecodeInfo* info;          // owned by the caller
    DecodePlan plan;
    ErrorCode code;
};

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;

// Files up to this size are read whole before decoding, into a buffer each
// thread keeps (a fresh one would cost its pages again for every file).
constexpr off_t kWholeFileBytes = 64 << 20;
thread_local std::unique_ptr<uint8_t[]> tFileBuffer;
thread_local size_t tFileBufferSize = 0;

// A buffer larger than this is not kept after its file.
constexpr size_t kKeptBufferBytes = 16 << 20;

uint8_t* FileBuffer(size_t size) {
    if (size > tFileBufferSize) {
        tFileBuffer.reset(new (std::nothrow) uint8_t[size]);
        tFileBufferSize = tFileBuffer ? size : 0;
    }
    return tFileBuffer.get();
}

void ReleaseLargeFileBuffer() {
    if (tFileBufferSize <= kKeptBufferBytes) return;
    tFileBuffer.reset();
    tFileBufferSize = 0;
}

// The orientation of the first EXIF segment among the saved markers.
int SavedOrientation(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker == kApp1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return ExifOrientation(m->data, m->data_length);
    }
    return 1;
}

// Whether the saved markers hold a piece of an ICC profile.
bool HasProfileMarker(j_decompress_ptr cinfo) {
    static const char kTag[] = "ICC_PROFILE";  // with its terminating zero
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker == kApp2 && m->data_length >= sizeof(kTag) &&
            std::memcmp(m->data, kTag, sizeof(kTag)) == 0)
            return true;
    }
    return false;
}

// The conversion of the profile the APP2 markers hold (their pieces put
// together), handed to the target. Pieces that do not make a whole profile
// (one missing, numbered wrongly) are a profile that cannot be read.
void UseProfile(DecodeContext* c) {
    j_decompress_ptr cinfo = &c->cinfo;
    JOCTET* bytes = nullptr;
    unsigned int size = 0;
    if (jpeg_read_icc_profile(cinfo, &bytes, &size)) {
        c->info->profile = c->colour->FromIcc(bytes, size);
        std::free(bytes);
        c->colour->AttachTo(*c->target);
    } else if (HasProfileMarker(cinfo)) {
        c->info->profile = ProfileOutcome::Unreadable;
    }
}

// Applies the hints after the header has been read: the orientation, then
// the scale that still gives the caller its minimum size. The plan is kept
// for the reduction.
void ApplyHints(DecodeContext* c) {
    j_decompress_ptr cinfo = &c->cinfo;
    const int fullWidth = static_cast<int>(cinfo->image_width);
    const int fullHeight = static_cast<int>(cinfo->image_height);
    c->info->fullWidth = fullWidth;
    c->info->fullHeight = fullHeight;
    c->info->orientation = 1;
    c->plan = DecodePlan();
    if (c->hints == nullptr) return;
    if (c->hints->readOrientation) c->info->orientation = SavedOrientation(cinfo);
    if (!c->hints->plan) return;
    // The caller thinks upright; orientations 5 to 8 lie on their side.
    const bool turned = c->info->orientation >= 5;
    c->plan = PlanFor(c->hints, turned ? fullHeight : fullWidth, turned ? fullWidth : fullHeight);
    if (c->plan.minWidth > 0 && c->plan.minHeight > 0) {
        const int m = turned
                          ? DraftScale(fullWidth, fullHeight, c->plan.minHeight, c->plan.minWidth)
                          : DraftScale(fullWidth, fullHeight, c->plan.minWidth, c->plan.minHeight);
        if (m < 8) {
            cinfo->scale_num = static_cast<unsigned>(m);
            cinfo->scale_denom = 8;
        }
    }
}

// What libjpeg holds beside the rows: a file of several scans (progressive
// ones) keeps every coefficient of the picture until the last scan, 2 bytes
// each, 64 a block; a file of one scan only a row of blocks.
size_t WorkingBytes(j_decompress_ptr cinfo) {
    if (!jpeg_has_multiple_scans(cinfo)) return 0;
    size_t total = 0;
    for (int ci = 0; ci < cinfo->num_components; ++ci) {
        const jpeg_component_info& comp = cinfo->comp_info[ci];
        const size_t v = static_cast<size_t>(comp.v_samp_factor > 0 ? comp.v_samp_factor : 1);
        const size_t rows = (static_cast<size_t>(comp.height_in_blocks) + v - 1) / v * v;
        total += static_cast<size_t>(comp.width_in_blocks) * rows * DCTSIZE2 * sizeof(JCOEF);
    }
    return total;
}

inline uint8_t MulDiv255(unsigned a, unsigned b) {
    return static_cast<uint8_t>((a * b + 127) / 255);
}

// Only trivially destructible objects live here (see above).
void Decode(DecodeContext* c) {
    j_decompress_ptr cinfo = &c->cinfo;
    if (setjmp(c->err.jump) != 0) {
        c->code = c->err.fatalCode;
        jpeg_destroy_decompress(cinfo);
        return;
    }
    jpeg_create_decompress(cinfo);
    // libjpeg's working memory (whole-image coefficient buffers of
    // progressive files) is held to the same cap as a pixel block.
    cinfo->mem->max_memory_to_use = static_cast<long>(MaxBlockBytes());
    c->progress.progress_monitor = MonitorProgress;
    cinfo->progress = &c->progress;
    if (c->bytes != nullptr)
        jpeg_mem_src(cinfo, c->bytes, static_cast<unsigned long>(c->size));
    else
        jpeg_stdio_src(cinfo, c->file);
    if (c->hints != nullptr && c->hints->readOrientation) jpeg_save_markers(cinfo, kApp1, 0xFFFF);
    const bool profiles = c->hints != nullptr && ConvertsProfiles(*c->hints, false);
    if (profiles) jpeg_save_markers(cinfo, kApp2, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    ApplyHints(c);

    // CMYK and YCCK files come out as CMYK and are turned into RGB below.
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    if (cmyk) cinfo->out_color_space = JCS_CMYK;

    // The size that will be decoded (the full size unless scaled).
    jpeg_calc_output_dimensions(cinfo);
    size_t bytes = 0;
    if (!BlockSize(cinfo->output_width, cinfo->output_height, 3, &bytes)) {
        c->code = ErrOutOfMemory;
        jpeg_destroy_decompress(cinfo);
        return;
    }
    const int width = static_cast<int>(cinfo->output_width);
    const int height = static_cast<int>(cinfo->output_height);
    if (const ErrorCode started = c->target->Start(width, height, c->info->orientation, true,
                                                   c->plan, WorkingBytes(cinfo));
        started != ErrNone) {
        c->code = started;
        jpeg_destroy_decompress(cinfo);
        return;
    }
    if (profiles) UseProfile(c);
    jpeg_start_decompress(cinfo);
    const int components = cinfo->output_components;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    JSAMPARRAY scratch = nullptr;
    if (components != 3) {
        scratch = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                              static_cast<JDIMENSION>(width * components), 1);
    }
    // Adobe's CMYK files store inverted ink values.
    const bool inverted = cinfo->saw_Adobe_marker;

    c->err.inScanlines = true;
    bool ended = false;  // no more rows come from the data
    for (int row = 0; row < height; ++row) {
        if (ReportProgress(row, height) == 0) {
            c->code = ErrCancelled;
            jpeg_destroy_decompress(cinfo);
            return;
        }
        uint8_t* dst = c->target->Row(row);
        // Once the data has ended the remaining rows are zero.
        ended = ended || c->err.firstLostRow >= 0;
        JSAMPROW target = components == 3 ? dst : scratch[0];
        if (!ended && jpeg_read_scanlines(cinfo, &target, 1) != 1) ended = true;
        if (ended || c->err.firstLostRow >= 0) {
            ended = true;
            std::memset(dst, 0, rowBytes);
            c->target->RowDone(row);
            continue;
        }
        const uint8_t* src = scratch != nullptr ? scratch[0] : nullptr;
        if (components == 1) {
            for (int x = 0; x < width; ++x, dst += 3) dst[0] = dst[1] = dst[2] = src[x];
        } else if (components == 4) {
            for (int x = 0; x < width; ++x, dst += 3, src += 4) {
                const unsigned k = inverted ? src[3] : 255u - src[3];
                for (int i = 0; i < 3; ++i) {
                    const unsigned ink = inverted ? src[i] : 255u - src[i];
                    dst[i] = MulDiv255(ink, k);
                }
            }
        }
        c->target->RowDone(row);
    }
    c->err.inScanlines = false;
    if (cinfo->output_scanline < cinfo->output_height) {
        jpeg_abort_decompress(cinfo);
    } else {
        jpeg_finish_decompress(cinfo);
    }
    jpeg_destroy_decompress(cinfo);
}

struct EncodeContext {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    const char* path;
    std::FILE* file;        // closed by the caller
    const uint8_t* pixels;  // rgb rows, or gray rows when !colour
    int width;
    int height;
    int quality;
    bool colour;
    ErrorCode code;
};

// Only trivially destructible objects live here (see above).
void Encode(EncodeContext* c) {
    j_compress_ptr cinfo = &c->cinfo;
    if (setjmp(c->err.jump) != 0) {
        c->code = c->err.fatalCode;
        jpeg_destroy_compress(cinfo);
        return;
    }
    jpeg_create_compress(cinfo);
    c->file = std::fopen(c->path, "wb");
    if (c->file == nullptr) {
        c->code = ErrOpenFile;
        jpeg_destroy_compress(cinfo);
        return;
    }
    jpeg_stdio_dest(cinfo, c->file);
    cinfo->image_width = static_cast<JDIMENSION>(c->width);
    cinfo->image_height = static_cast<JDIMENSION>(c->height);
    cinfo->input_components = c->colour ? 3 : 1;
    cinfo->in_color_space = c->colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, c->quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const size_t rowBytes = static_cast<size_t>(c->width) * (c->colour ? 3 : 1);
    for (int row = 0; row < c->height; ++row) {
        if (ReportProgress(row, c->height) == 0) {
            c->code = ErrCancelled;
            jpeg_destroy_compress(cinfo);
            return;
        }
        JSAMPROW line = const_cast<JSAMPROW>(c->pixels + static_cast<size_t>(row) * rowBytes);
        jpeg_write_scanlines(cinfo, &line, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
}

}  // namespace

uint8_t GrayLevel(uint8_t red, uint8_t green, uint8_t blue) {
    const double v = (0.587 * green + 0.114 * blue) + 0.299 * red;
    return static_cast<uint8_t>(static_cast<int>(v));
}

int DraftScale(int fullWidth, int fullHeight, int minWidth, int minHeight) {
    const auto scaled = [](int full, int m) { return (static_cast<long long>(full) * m + 7) / 8; };
    for (int m = 1; m < 8; ++m)
        if (scaled(fullWidth, m) >= minWidth && scaled(fullHeight, m) >= minHeight) return m;
    return 8;
}

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadHinted(path, DecodeHints(), &info, width, height);
}

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    ImageStatus status;
    *info = DecodeInfo();
    std::FILE* file = OpenStreamForReading(path, width, height, status);
    if (file == nullptr) return {};
    // A file of usual size is read whole: libjpeg then decodes from memory
    // on its fast path, instead of refilling a small buffer.
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    struct stat st {};
    if (fstat(fileno(file), &st) == 0 && st.st_size > 0 && st.st_size <= kWholeFileBytes) {
        uint8_t* buffer = FileBuffer(static_cast<size_t>(st.st_size));
        if (buffer != nullptr) size = std::fread(buffer, 1, static_cast<size_t>(st.st_size), file);
        if (size > 0) bytes = buffer;
    }
    ColourTransform colour;
    RowTarget target;
    DecodeContext context{};
    InitErrorManager(&context.err);
    context.cinfo.err = &context.err.pub;
    context.file = file;
    context.bytes = bytes;
    context.size = size;
    context.target = &target;
    context.colour = &colour;
    context.hints = &hints;
    context.info = info;
    context.code = ErrNone;
    Decode(&context);
    std::fclose(file);
    ReleaseLargeFileBuffer();
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

int Write(const std::string& path, const uint8_t* rgb, int width, int height, int quality,
          bool colour) {
    ImageStatus status;
    size_t bytes = 0;
    if (rgb == nullptr || !BlockSize(width, height, 3, &bytes)) {
        status.Fail(ErrParameter);
        return 0;
    }
    PixelBlock gray;
    if (!colour) {
        if (!gray.Allocate(static_cast<size_t>(width) * static_cast<size_t>(height))) {
            status.Fail(ErrOutOfMemory);
            return 0;
        }
        const uint8_t* p = rgb;
        uint8_t* g = gray.data();
        for (size_t i = 0, n = gray.size(); i < n; ++i, p += 3) g[i] = GrayLevel(p[0], p[1], p[2]);
    }
    EncodeContext context{};
    InitErrorManager(&context.err);
    context.cinfo.err = &context.err.pub;
    context.path = path.c_str();
    context.file = nullptr;
    context.pixels = colour ? rgb : gray.data();
    context.width = width;
    context.height = height;
    context.quality = quality;
    context.colour = colour;
    context.code = ErrNone;
    Encode(&context);
    if (context.file != nullptr && std::fclose(context.file) != 0 && context.code == ErrNone)
        context.code = ErrWriteFile;
    if (context.code != ErrNone) {
        status.Fail(context.code);
        return 0;
    }
    return 1;
}

void SetShowCodecMessages(bool on) {
    tShowMessages = on;
}
bool ShowCodecMessages() {
    return tShowMessages;
}
void SetCodecMessageSink(CodecMessageSink sink) {
    tSink = sink;
}

int WriteColourEntry(const WriteRequest& request) {
    return Write(request.path, request.rgb, request.width, request.height, request.jpegQuality,
                 true);
}

int WriteGrayEntry(const WriteRequest& request) {
    return Write(request.path, request.rgb, request.width, request.height, request.jpegQuality,
                 false);
}

}  // namespace vig::jpeg
