#include "image/formats/webp.h"

#include <sys/stat.h>
#include <unistd.h>
#include <webp/decode.h>
#include <webp/demux.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/colour_profile.h"
#include "image/exif.h"
#include "image/formats/file_open.h"
#include "image/formats/sample_rows.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::webp {
namespace {

struct DemuxFree {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};

// The frame iterator, released however the decode ends.
struct FrameIterator {
    WebPIterator iter{};
    bool held = false;
    ~FrameIterator() {
        if (held) WebPDemuxReleaseIterator(&iter);
    }
};

struct OutputBuffer {
    WebPDecBuffer* buffer = nullptr;
    ~OutputBuffer() {
        if (buffer != nullptr) WebPFreeDecBuffer(buffer);
    }
};

// Reads the whole file into *bytes (the size read in *size).
ErrorCode ReadWhole(int fd, std::unique_ptr<uint8_t[]>* bytes, size_t* size) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return ErrReadFile;
    if (st.st_size <= 0) return ErrInvalidWebp;
    if (static_cast<uint64_t>(st.st_size) > MaxBlockBytes()) return ErrOutOfMemory;
    const size_t total = static_cast<size_t>(st.st_size);
    bytes->reset(new (std::nothrow) uint8_t[total]);
    if (!*bytes) return ErrOutOfMemory;
    size_t done = 0;
    while (done < total) {
        const ssize_t n = pread(fd, bytes->get() + done, total - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrReadFile;
        if (n == 0) break;  // the file shrank meanwhile: what is there is judged
        done += static_cast<size_t>(n);
    }
    *size = done;
    return ErrNone;
}

// The payload of the first chunk `fourcc` (empty when there is none).
std::vector<uint8_t> ChunkBytes(const WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator chunk{};
    std::vector<uint8_t> out;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk)) {
        out.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return out;
}

// The orientation of an EXIF chunk, which holds the TIFF header with or
// without the "Exif\0\0" that JPEG's segment starts with.
int ChunkOrientation(const std::vector<uint8_t>& exif) {
    static const uint8_t kPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (exif.size() >= 6 && std::memcmp(exif.data(), kPrefix, 6) == 0)
        return ExifOrientation(exif.data(), exif.size());
    std::vector<uint8_t> segment(kPrefix, kPrefix + 6);
    segment.insert(segment.end(), exif.begin(), exif.end());
    return ExifOrientation(segment.data(), segment.size());
}

ErrorCode Decode(const std::string& path, const DecodeHints& hints, RowTarget* target,
                 ColourTransform* colour, DecodeInfo* info, int* width, int* height) {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
    {
        ImageStatus open;
        const int fd = OpenForReading(path, width, height, open);
        if (fd < 0) return open.code();
        const ErrorCode read = ReadWhole(fd, &bytes, &size);
        close(fd);
        if (read != ErrNone) return read;
    }

    const WebPData data{bytes.get(), size};
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    std::unique_ptr<WebPDemuxer, DemuxFree> demux(WebPDemuxPartial(&data, &state));
    if (!demux || state < WEBP_DEMUX_PARSED_HEADER) return ErrInvalidWebp;
    const int canvasWidth = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    const int canvasHeight = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
    FrameIterator frame;
    frame.held = WebPDemuxGetFrame(demux.get(), 1, &frame.iter) != 0;
    if (!frame.held || !frame.iter.complete) return ErrInvalidWebp;
    const WebPIterator& it = frame.iter;
    if (canvasWidth <= 0 || canvasHeight <= 0 || it.width <= 0 || it.height <= 0 ||
        it.x_offset < 0 || it.y_offset < 0 || it.x_offset > canvasWidth - it.width ||
        it.y_offset > canvasHeight - it.height)
        return ErrInvalidWebp;
    WebPBitstreamFeatures features{};
    if (WebPGetFeatures(it.fragment.bytes, it.fragment.size, &features) != VP8_STATUS_OK ||
        features.width != it.width || features.height != it.height)
        return ErrInvalidWebp;
    const bool alpha = features.has_alpha != 0;
    const int channels = alpha ? 4 : 3;
    size_t canvasBytes = 0, frameBytes = 0;
    if (!BlockSize(canvasWidth, canvasHeight, 3, &canvasBytes) ||
        !BlockSize(it.width, it.height, channels, &frameBytes))
        return ErrOutOfMemory;
    info->fullWidth = canvasWidth;
    info->fullHeight = canvasHeight;
    info->orientation = 1;

    const uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    if (hints.readOrientation && (flags & EXIF_FLAG) != 0)
        info->orientation = ChunkOrientation(ChunkBytes(demux.get(), "EXIF"));
    if (hints.readColourProfile && (flags & ICCP_FLAG) != 0)
        info->iccProfile = ChunkBytes(demux.get(), "ICCP");
    // The colours converted to sRGB by the ICC profile (a flag without the
    // chunk is a profile that cannot be read).
    if (ConvertsProfiles(hints, true) && (flags & ICCP_FLAG) != 0) {
        const std::vector<uint8_t> icc = ChunkBytes(demux.get(), "ICCP");
        info->profile =
            icc.empty() ? ProfileOutcome::Unreadable : colour->FromIcc(icc.data(), icc.size());
        colour->AttachTo(*target);
    }

    // Beside the file and the decoded frame, a lossless decoder holds the
    // frame as 32-bit pixels, a lossy one its alpha plane and a few rows.
    const size_t pixels =
        SaturatingTimes(static_cast<size_t>(it.width), static_cast<size_t>(it.height));
    size_t working = SaturatingPlus(size, frameBytes);
    if (features.format == 2)
        working = SaturatingPlus(working, SaturatingTimes(pixels, 4));
    else if (alpha)
        working = SaturatingPlus(working, pixels);
    working = SaturatingPlus(working, SaturatingTimes(static_cast<size_t>(it.width), 256));
    const bool turned = info->orientation >= 5;
    const DecodePlan plan =
        PlanFor(&hints, turned ? canvasHeight : canvasWidth, turned ? canvasWidth : canvasHeight);
    if (const ErrorCode c =
            target->Start(canvasWidth, canvasHeight, info->orientation, true, plan, working);
        c != ErrNone)
        return c;
    if (StopRequestedNow()) return ErrCancelled;

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return ErrInternal;
    config.output.colorspace = alpha ? MODE_RGBA : MODE_RGB;
    config.options.use_threads = 0;
    OutputBuffer output;
    output.buffer = &config.output;
    const VP8StatusCode decoded = WebPDecode(it.fragment.bytes, it.fragment.size, &config);
    if (decoded == VP8_STATUS_OUT_OF_MEMORY) return ErrOutOfMemory;
    if (decoded != VP8_STATUS_OK) return ErrInvalidWebp;
    const WebPRGBABuffer& rgba = config.output.u.RGBA;
    if (config.output.width != it.width || config.output.height != it.height ||
        rgba.rgba == nullptr || rgba.stride < it.width * channels)
        return ErrInvalidWebp;
    // Only the first frame counts: the demuxer and the file go before the
    // rows are made.
    frame.held = false;
    WebPDemuxReleaseIterator(&frame.iter);
    demux.reset();
    bytes.reset();

    SampleLayout layout;
    layout.channels = channels;
    const SampleBackground background = LibraryBackground();
    const size_t left = static_cast<size_t>(it.x_offset);
    const size_t inside = static_cast<size_t>(it.width);
    const size_t right = static_cast<size_t>(canvasWidth) - left - inside;
    for (int y = 0; y < canvasHeight; ++y) {
        if (ReportProgress(y, canvasHeight) == 0) return ErrCancelled;
        uint8_t* row = target->Row(y);
        const int fy = y - it.y_offset;
        if (fy < 0 || fy >= it.height) {
            FillBackground(row, static_cast<size_t>(canvasWidth), background);
        } else {
            FillBackground(row, left, background);
            SamplesToRgb(rgba.rgba + static_cast<size_t>(fy) * static_cast<size_t>(rgba.stride),
                         inside, layout, background, row + left * 3);
            FillBackground(row + (left + inside) * 3, right, background);
        }
        target->RowDone(y);
    }
    return ErrNone;
}

}  // namespace

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    ImageStatus status;
    *info = DecodeInfo();
    ColourTransform colour;
    RowTarget target;
    ErrorCode code = ErrNone;
    try {
        code = Decode(path, hints, &target, &colour, info, width, height);
    } catch (const std::bad_alloc&) {
        code = ErrOutOfMemory;
    }
    return FinishRead(target, code, status, info, width, height);
}

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadHinted(path, DecodeHints(), &info, width, height);
}

}  // namespace vig::image::webp
