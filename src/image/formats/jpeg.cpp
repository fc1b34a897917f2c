#include "image/formats/jpeg.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
#include "image/embedded_preview.h"
#include "image/exif.h"
#include "image/formats/file_open.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::jpeg {
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
    bool quiet;  // no messages (an embedded preview's, which may be given up)
};

void ShowMessage(j_common_ptr cinfo, const char* title) {
    if (!tShowMessages || reinterpret_cast<ErrorManager*>(cinfo->err)->quiet) return;
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
    err->quiet = false;
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

// A file of usual size as libjpeg's source: a buffer with room for the
// whole file, of which the first `filled` bytes have been read. When libjpeg
// wants more, the rest is read into place at once; a file whose embedded
// preview is decoded instead of the picture is read no further than its
// header and that preview.
struct FileSource {
    jpeg_source_mgr pub;  // first, so libjpeg's pointer is ours too
    int fd;
    uint8_t* data;
    size_t size;    // of the file, and the room in data
    size_t filled;  // read so far
};

// Reads bytes [from, to) of the file into place; how many were read.
size_t ReadRange(int fd, uint8_t* data, size_t from, size_t to) {
    size_t done = from;
    while (done < to) {
        const ssize_t n = pread(fd, data + done, to - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    return done - from;
}

boolean FillSource(j_decompress_ptr cinfo) {
    auto* s = reinterpret_cast<FileSource*>(cinfo->src);
    const size_t from = s->filled;
    if (from < s->size) s->filled += ReadRange(s->fd, s->data, from, s->size);
    if (s->filled > from) {
        s->pub.next_input_byte = s->data + from;
        s->pub.bytes_in_buffer = s->filled - from;
        return TRUE;
    }
    // The file ends (or was cut since it was measured): as libjpeg's own
    // sources do, a warning and an end marker.
    static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
    WARNMS(cinfo, JWRN_JPEG_EOF);
    s->pub.next_input_byte = kEnd;
    s->pub.bytes_in_buffer = 2;
    return TRUE;
}

void SkipSource(j_decompress_ptr cinfo, long count) {
    jpeg_source_mgr* src = cinfo->src;
    if (count <= 0) return;
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        (void)(*src->fill_input_buffer)(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void NoSourceStep(j_decompress_ptr) {}

void UseFileSource(j_decompress_ptr cinfo, FileSource* s) {
    s->pub.init_source = NoSourceStep;
    s->pub.fill_input_buffer = FillSource;
    s->pub.skip_input_data = SkipSource;
    s->pub.resync_to_restart = jpeg_resync_to_restart;
    s->pub.term_source = NoSourceStep;
    s->pub.next_input_byte = s->data;
    s->pub.bytes_in_buffer = s->filled;
    cinfo->src = &s->pub;
}

struct DecodeContext {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    std::FILE* file;       // read through stdio, when there is no other source
    FileSource* source;    // the file in memory, owned by the caller
    const uint8_t* bytes;  // or these bytes (a preview's), owned by the caller
    size_t size;
    RowTarget* target;         // owned by the caller
    ColourTransform* colour;   // owned by the caller
    const DecodeHints* hints;  // owned by the caller; nullptr for none
    DecodeInfo* info;          // owned by the caller
    DecodePlan plan;
    // Set when the bytes are an embedded preview decoded in the picture's
    // place: *info and the plan are the picture's already.
    bool preview;
    ErrorCode code;
};

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;

// Files up to this size are decoded from memory, into a buffer each thread
// keeps (a fresh one would cost its pages again for every file), the header
// first (the bytes a header usually takes at most), the rest when needed.
constexpr off_t kWholeFileBytes = 64 << 20;
constexpr size_t kHeaderBytes = 256 << 10;
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
// for the reduction. A preview keeps the picture's orientation and plan, and
// is given up (ErrInvalidJpg) unless it suits them.
void ApplyHints(DecodeContext* c) {
    j_decompress_ptr cinfo = &c->cinfo;
    const int fullWidth = static_cast<int>(cinfo->image_width);
    const int fullHeight = static_cast<int>(cinfo->image_height);
    if (!c->preview) {
        c->info->fullWidth = fullWidth;
        c->info->fullHeight = fullHeight;
        c->info->orientation = 1;
        c->plan = DecodePlan();
        if (c->hints == nullptr) return;
        if (c->hints->readOrientation) c->info->orientation = SavedOrientation(cinfo);
        if (!c->hints->plan) return;
    }
    // The caller thinks upright; orientations 5 to 8 lie on their side.
    const bool turned = c->info->orientation >= 5;
    const int uprightWidth = turned ? fullHeight : fullWidth;
    const int uprightHeight = turned ? fullWidth : fullHeight;
    if (!c->preview)
        c->plan = PlanFor(c->hints, uprightWidth, uprightHeight);
    else if (!PreviewSuits(c->plan, turned ? c->info->fullHeight : c->info->fullWidth,
                           turned ? c->info->fullWidth : c->info->fullHeight, uprightWidth,
                           uprightHeight))
        Abort(reinterpret_cast<j_common_ptr>(cinfo), ErrInvalidJpg);
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

void Decode(DecodeContext* c);

// Decodes in the picture's place the smallest of its embedded previews that
// suits the plan. ErrNone when one did, ErrCancelled on a stop, and
// ErrInvalidJpg when none would: the picture itself is decoded then.
ErrorCode DecodePreview(const DecodeContext& picture) {
    const FileSource* file = picture.source;
    if (file == nullptr || picture.plan.minWidth <= 0 || picture.plan.minHeight <= 0)
        return ErrInvalidJpg;
    // The header (up to the first scan) has been read by now.
    for (const EmbeddedPreview& p : FindEmbeddedPreviews(file->data, file->filled, file->size)) {
        const size_t end = p.offset + p.length;
        if (end > file->filled) {
            const size_t from = std::max(p.offset, file->filled);
            if (ReadRange(file->fd, file->data, from, end) != end - from) continue;
        }
        DecodeContext c{};
        InitErrorManager(&c.err);
        c.err.quiet = true;
        c.cinfo.err = &c.err.pub;
        c.bytes = file->data + p.offset;
        c.size = p.length;
        c.target = picture.target;
        c.colour = picture.colour;
        c.hints = picture.hints;
        c.info = picture.info;
        c.plan = picture.plan;
        c.preview = true;
        c.code = ErrNone;
        Decode(&c);
        if (c.code == ErrNone || c.code == ErrCancelled) return c.code;
    }
    return ErrInvalidJpg;
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
    if (c->source != nullptr)
        UseFileSource(cinfo, c->source);
    else if (c->bytes != nullptr)
        jpeg_mem_src(cinfo, c->bytes, static_cast<unsigned long>(c->size));
    else
        jpeg_stdio_src(cinfo, c->file);
    if (c->hints != nullptr && c->hints->readOrientation) jpeg_save_markers(cinfo, kApp1, 0xFFFF);
    // A preview takes the picture's profile (its own is not read).
    const bool profiles = !c->preview && c->hints != nullptr && ConvertsProfiles(*c->hints, false);
    if (profiles) jpeg_save_markers(cinfo, kApp2, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    ApplyHints(c);
    if (profiles) UseProfile(c);
    if (!c->preview) {
        if (const ErrorCode code = DecodePreview(*c); code != ErrInvalidJpg) {
            c->code = code;
            jpeg_destroy_decompress(cinfo);
            return;
        }
    }

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
    // A preview must decode without a flaw, or the picture is decoded.
    if (c->preview && c->err.pub.num_warnings > 0) c->code = ErrInvalidJpg;
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
    // A file of usual size is decoded from memory: libjpeg then works on
    // its fast path, instead of refilling a small buffer.
    FileSource source{};
    bool inMemory = false;
    struct stat st {};
    if (fstat(fileno(file), &st) == 0 && st.st_size > 0 && st.st_size <= kWholeFileBytes) {
        source.fd = fileno(file);
        source.size = static_cast<size_t>(st.st_size);
        source.data = FileBuffer(source.size);
        if (source.data != nullptr)
            source.filled =
                ReadRange(source.fd, source.data, 0, std::min(source.size, kHeaderBytes));
        inMemory = source.filled > 0;
    }
    ColourTransform colour;
    RowTarget target;
    DecodeContext context{};
    InitErrorManager(&context.err);
    context.cinfo.err = &context.err.pub;
    context.file = file;
    context.source = inMemory ? &source : nullptr;
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

}  // namespace vig::image::jpeg
