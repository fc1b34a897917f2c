#include "image/formats/heif.h"

#include <sys/stat.h>
#include <unistd.h>

#include <libheif/heif.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "image/colour_profile.h"
#include "image/embedded_preview.h"
#include "image/formats/file_open.h"
#include "image/formats/heif_boxes.h"
#include "image/formats/sample_rows.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::heif {
namespace {

// libheif's plugins (the decoders) are registered once for the process and
// stay for its life.
void InitLibrary() {
    static const bool done = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)done;
}

// The file, read through its descriptor at the position libheif asks for.
struct FileSource {
    int fd = -1;
    int64_t size = 0;
    int64_t position = 0;
};

int64_t SourcePosition(void* user) {
    return static_cast<FileSource*>(user)->position;
}

int SourceRead(void* data, size_t size, void* user) {
    auto* s = static_cast<FileSource*>(user);
    if (s->position < 0 || static_cast<uint64_t>(s->position) > static_cast<uint64_t>(s->size) ||
        size > static_cast<uint64_t>(s->size - s->position))
        return 1;
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pread(s->fd, out + done, size - done, static_cast<off_t>(s->position));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return 1;
        done += static_cast<size_t>(n);
        s->position += n;
    }
    return 0;
}

int SourceSeek(int64_t position, void* user) {
    auto* s = static_cast<FileSource*>(user);
    if (position < 0 || position > s->size) return 1;
    s->position = position;
    return 0;
}

heif_reader_grow_status SourceWait(int64_t target, void* user) {
    return target <= static_cast<FileSource*>(user)->size ? heif_reader_grow_status_size_reached
                                                          : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader kReader = {1, SourcePosition, SourceRead, SourceSeek, SourceWait};

// The item properties and locations of a real file take kilobytes; a meta
// box larger than this is refused unread.
constexpr size_t kMetaLimit = size_t{64} << 20;

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageFree {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
struct NclxFree {
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};

// The code of a libheif failure, for a file that was to be `invalid`.
ErrorCode CodeOf(const heif_error& e, ErrorCode invalid) {
    if (e.code == heif_error_Ok) return ErrNone;
    if (e.code == heif_error_Memory_allocation_error ||
        e.subcode == heif_suberror_Security_limit_exceeded)
        return ErrOutOfMemory;
    if (e.code == heif_error_Unsupported_feature) return ErrUnsupportedHeif;
    return invalid;
}

// The smallest thumbnail of the picture (w x h as shown) that suits the
// plan (PreviewSuits), where the preview size stands for the minimum size
// when there is none: HEIF thumbnails stand in by default. None without
// either size or a thumbnail that suits.
std::unique_ptr<heif_image_handle, HandleFree> SuitableThumbnail(heif_image_handle* picture,
                                                                 DecodePlan plan, int w, int h) {
    std::unique_ptr<heif_image_handle, HandleFree> best;
    if (plan.minWidth <= 0 || plan.minHeight <= 0) {
        plan.minWidth = plan.previewWidth;
        plan.minHeight = plan.previewHeight;
    }
    if (plan.minWidth <= 0 || plan.minHeight <= 0) return best;
    const int count = heif_image_handle_get_number_of_thumbnails(picture);
    if (count <= 0) return best;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    ids.resize(static_cast<size_t>(
        std::max(0, heif_image_handle_get_list_of_thumbnail_IDs(picture, ids.data(), count))));
    long long bestArea = 0;
    for (const heif_item_id id : ids) {
        heif_image_handle* raw = nullptr;
        if (heif_image_handle_get_thumbnail(picture, id, &raw).code != heif_error_Ok) {
            if (raw != nullptr) heif_image_handle_release(raw);
            continue;
        }
        std::unique_ptr<heif_image_handle, HandleFree> thumbnail(raw);
        const int tw = heif_image_handle_get_width(raw);
        const int th = heif_image_handle_get_height(raw);
        const long long area = static_cast<long long>(tw) * th;
        if (!PreviewSuits(plan, w, h, tw, th) || (best && area >= bestArea)) continue;
        best = std::move(thumbnail);
        bestArea = area;
    }
    return best;
}

// Decodes one item (the picture, or a thumbnail in its place) into the
// target under the plan, with `working` bytes reserved beside its rows.
// `decoded` runs once libheif has given the pixels: what is no longer
// needed can go before the rows are converted.
ErrorCode DecodeItem(heif_image_handle* item, ErrorCode invalid, const DecodePlan& plan,
                     size_t working, RowTarget* target, const std::function<void()>& decoded) {
    const int w = heif_image_handle_get_width(item);
    const int h = heif_image_handle_get_height(item);
    if (w <= 0 || h <= 0) return invalid;
    const bool alpha = heif_image_handle_has_alpha_channel(item) != 0;
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(item),
                              heif_image_handle_get_chroma_bits_per_pixel(item));
    const bool deep = bits > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    if (const ErrorCode c = target->Start(w, h, 1, true, plan, working); c != ErrNone) return c;
    if (StopRequestedNow()) return ErrCancelled;

    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options) return ErrOutOfMemory;
    heif_image* rawImage = nullptr;
    if (const ErrorCode c =
            CodeOf(heif_decode_image(item, &rawImage, heif_colorspace_RGB, chroma, options.get()),
                   invalid);
        c != ErrNone) {
        if (rawImage != nullptr) heif_image_release(rawImage);
        return c;
    }
    std::unique_ptr<heif_image, ImageFree> image(rawImage);
    decoded();
    if (!image) return invalid;

    int stride = 0;
    const uint8_t* plane =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (plane == nullptr || heif_image_get_width(image.get(), heif_channel_interleaved) != w ||
        heif_image_get_height(image.get(), heif_channel_interleaved) != h)
        return invalid;
    SampleLayout layout;
    layout.channels = alpha ? 4 : 3;
    layout.bytesPerSample = deep ? 2 : 1;
    const int depth =
        deep ? heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) : 8;
    if (depth < 1 || depth > 16) return invalid;
    layout.max = (uint32_t{1} << depth) - 1;
    layout.premultiplied = alpha && heif_image_is_premultiplied_alpha(image.get()) != 0;
    if (stride < 0 || static_cast<size_t>(stride) < static_cast<size_t>(w) *
                                                        static_cast<size_t>(layout.channels) *
                                                        static_cast<size_t>(layout.bytesPerSample))
        return invalid;
    const SampleBackground background = LibraryBackground();
    for (int y = 0; y < h; ++y) {
        if (ReportProgress(y, h) == 0) return ErrCancelled;
        SamplesToRgb(plane + static_cast<size_t>(y) * static_cast<size_t>(stride),
                     static_cast<size_t>(w), layout, background, target->Row(y));
        target->RowDone(y);
    }
    return ErrNone;
}

// The conversion of the picture's colours to sRGB, by its ICC profile or its
// nclx description (colour primaries and transfer characteristics), handed
// to the target. A picture without either is taken as sRGB.
ProfileOutcome ConvertColours(const heif_image_handle* handle, ColourTransform* colour,
                              RowTarget* target) {
    ProfileOutcome outcome = ProfileOutcome::None;
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        std::vector<uint8_t> icc(heif_image_handle_get_raw_color_profile_size(handle));
        if (icc.empty() ||
            heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return ProfileOutcome::Unreadable;
        outcome = colour->FromIcc(icc.data(), icc.size());
    } else if (type == heif_color_profile_type_nclx) {
        // libheif hands the description over even when it refuses it
        // (primaries it does not know): it is ours to free either way.
        heif_color_profile_nclx* raw = nullptr;
        const heif_error e = heif_image_handle_get_nclx_color_profile(handle, &raw);
        const std::unique_ptr<heif_color_profile_nclx, NclxFree> nclx(raw);
        if (e.code != heif_error_Ok || !nclx) return ProfileOutcome::Unreadable;
        outcome = colour->FromNclx({static_cast<int>(nclx->color_primaries),
                                    static_cast<int>(nclx->transfer_characteristics)});
    }
    colour->AttachTo(*target);
    return outcome;
}

ErrorCode Decode(const std::string& path, const DecodeHints& hints, ErrorCode invalid,
                 RowTarget* target, ColourTransform* colour, DecodeInfo* info, int* width,
                 int* height) {
    ImageStatus open;
    const int fd = OpenForReading(path, width, height, open);
    if (fd < 0) return open.code();
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat st {};
    if (fstat(fd, &st) != 0) return ErrReadFile;
    FileSource source{fd, static_cast<int64_t>(st.st_size), 0};

    InitLibrary();
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) return ErrOutOfMemory;
    if (const ErrorCode c = CodeOf(
            heif_context_read_from_reader(context.get(), &kReader, &source, nullptr), invalid);
        c != ErrNone)
        return c;
    heif_image_handle* rawHandle = nullptr;
    if (const ErrorCode c =
            CodeOf(heif_context_get_primary_image_handle(context.get(), &rawHandle), invalid);
        c != ErrNone)
        return c;
    std::unique_ptr<heif_image_handle, HandleFree> handle(rawHandle);

    // The size as shown: libheif gives it after rotation and cropping.
    const int w = heif_image_handle_get_width(handle.get());
    const int h = heif_image_handle_get_height(handle.get());
    if (w <= 0 || h <= 0) return invalid;
    size_t rowsBytes = 0;
    if (!BlockSize(w, h, 3, &rowsBytes)) return ErrOutOfMemory;
    info->fullWidth = w;
    info->fullHeight = h;
    info->orientation = 1;

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const int bits = std::max(heif_image_handle_get_luma_bits_per_pixel(handle.get()),
                              heif_image_handle_get_chroma_bits_per_pixel(handle.get()));
    const bool deep = bits > 8;

    if (hints.readColourProfile) {
        const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle.get());
        if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
            const size_t size = heif_image_handle_get_raw_color_profile_size(handle.get());
            info->iccProfile.resize(size);
            if (size == 0 ||
                heif_image_handle_get_raw_color_profile(handle.get(), info->iccProfile.data())
                        .code != heif_error_Ok)
                info->iccProfile.clear();
        }
    }
    if (ConvertsProfiles(hints, true)) info->profile = ConvertColours(handle.get(), colour, target);

    // What libheif holds while it decodes: the coded data, the decoded
    // planes (at most four full ones) and their conversion to interleaved
    // RGB(A), both at the samples' width, at the size shown or the larger
    // size a coded stream or a grid declares (libheif and the decoders
    // work at that size, which a damaged or hostile file may make far
    // larger than the picture shown).
    MetaBox meta;
    if (!ReadMetaBox(fd, static_cast<uint64_t>(st.st_size), kMetaLimit, &meta))
        return ErrOutOfMemory;
    const DeclaredSize declared =
        LargestDeclaredPicture(fd, static_cast<uint64_t>(st.st_size), meta);
    meta = MetaBox();
    const int sampleBytes = (alpha ? 4 : 3) * (deep ? 2 : 1);
    size_t planes = 0;
    if (!BlockSize(w, h, sampleBytes, &planes)) return ErrOutOfMemory;
    if (declared.width > 0) {
        size_t declaredPlanes = 0;
        if (!BlockSize(declared.width, declared.height, sampleBytes, &declaredPlanes))
            return ErrOutOfMemory;
        planes = std::max(planes, declaredPlanes);
    }
    const size_t working =
        SaturatingPlus(SaturatingTimes(planes, 2), static_cast<size_t>(st.st_size));
    const DecodePlan plan = PlanFor(&hints, w, h);
    // The smallest thumbnail of the picture that suits the plan (at least
    // the minimum size of draft decoding, or else the preview size) stands
    // in for it, the plan applying to its pixels; one that fails to decode
    // gives way to the picture.
    if (const auto thumbnail = SuitableThumbnail(handle.get(), plan, w, h)) {
        const ErrorCode c = DecodeItem(thumbnail.get(), invalid, plan, working, target, [] {});
        if (c == ErrNone || c == ErrCancelled) return c;
    }
    return DecodeItem(handle.get(), invalid, plan, working, target, [&] {
        handle.reset();
        context.reset();
    });
}

PixelBlock ReadAs(const std::string& path, const DecodeHints& hints, ErrorCode invalid,
                  DecodeInfo* info, int* width, int* height) {
    ImageStatus status;
    *info = DecodeInfo();
    ColourTransform colour;
    RowTarget target;
    ErrorCode code = ErrNone;
    try {
        code = Decode(path, hints, invalid, &target, &colour, info, width, height);
    } catch (const std::bad_alloc&) {
        code = ErrOutOfMemory;
    } catch (...) {
        code = invalid;
    }
    return FinishRead(target, code, status, info, width, height);
}

}  // namespace

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadAs(path, DecodeHints(), ErrInvalidHeif, &info, width, height);
}

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    return ReadAs(path, hints, ErrInvalidHeif, info, width, height);
}

PixelBlock ReadAvif(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadAs(path, DecodeHints(), ErrInvalidAvif, &info, width, height);
}

PixelBlock ReadAvifHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                          int* width, int* height) {
    return ReadAs(path, hints, ErrInvalidAvif, info, width, height);
}

}  // namespace vig::image::heif
