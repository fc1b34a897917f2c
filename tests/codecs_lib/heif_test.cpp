#include "image/formats/heif.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "image/cpx_image.h"
#include "image/error_codes.h"
#include "image/formats/heif_boxes.h"
#include "image/image_library.h"
#include "lib_test_util.h"
#include "modern_test_util.h"
#include "support/exif_jpeg.h"

namespace vig {
namespace {

using test::Samples;
using test::TempDir;

// Pictures heif-enc makes, read back by heif-convert: the reader gives the
// same samples (the same library decodes them), reduced to 8 bits with
// rounding and composited over the background, exactly.
TEST(Heif, ReadsWhatTheReferenceDecoderReads) {
    VIG_SKIP_WITHOUT("heif-enc", "heif-convert");
    TempDir dir;
    const struct {
        const char* name;
        std::vector<std::string> options;
        int channels;
        int sourceDepth;
        int bits;  // of the file
        int inputFormat;
    } rows[] = {
        {"rgb8.heic", {"-q", "85"}, 3, 8, 8, image::InputHeif},
        {"rgb8.avif", {"-q", "85"}, 3, 8, 8, image::InputAvif},
        {"alpha8.heic", {"-q", "85"}, 4, 8, 8, image::InputHeif},
        {"alpha8.avif", {"-q", "85"}, 4, 8, 8, image::InputAvif},
        {"rgb10.heic", {"-q", "85", "-b", "10"}, 3, 16, 10, image::InputHeif},
        {"rgb12.heic", {"-q", "85", "-b", "12"}, 3, 16, 12, image::InputHeif},
        {"alpha10.heic", {"-q", "85", "-b", "10"}, 4, 16, 10, image::InputHeif},
        // aom in Debian 12 stops on 10-bit 4:2:0 input; 12 bits work.
        {"rgb12.avif", {"-q", "85", "-b", "12"}, 3, 16, 12, image::InputAvif},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const Samples source = test::TestPicture(67, 45, r.channels, r.sourceDepth);
        std::vector<std::string> command = {"heif-enc"};
        command.insert(command.end(), r.options.begin(), r.options.end());
        ASSERT_TRUE(test::EncodePicture(dir / r.name, source, command));
        const std::string refPath = dir / (std::string(r.name) + ".ref.png");
        ASSERT_TRUE(test::RunProgram({"heif-convert", dir / r.name, refPath}));
        Samples ref;
        ASSERT_TRUE(test::ReadPngSamples(refPath, &ref));
        ASSERT_EQ(ref.channels, r.channels);
        if (r.bits > 8) {
            // The file holds as many bits as asked for: heif-convert puts
            // them at the top of its 16-bit samples, and some use the
            // lowest of them.
            ASSERT_EQ(ref.depth, 16);
            const uint16_t low = static_cast<uint16_t>((1u << (16 - r.bits)) - 1);
            bool lowestUsed = false;
            for (uint16_t v : ref.values) {
                ASSERT_EQ(v & low, 0) << v;
                lowestUsed = lowestUsed || ((v >> (16 - r.bits)) & 1) != 0;
            }
            EXPECT_TRUE(lowestUsed);
        }
        const test::LoadedPicture got = test::LoadPicture(dir / r.name);
        ASSERT_EQ(got.code, image::ErrNone);
        EXPECT_EQ(got.inputFormat, r.inputFormat);
        ASSERT_EQ(got.width, 67);
        ASSERT_EQ(got.height, 45);
        EXPECT_EQ(test::MaxDifference(got.rgb, test::ExpectedRgb(ref, r.bits)), 0);
    }
    // Every extension of the format reads, in any letter case.
    for (const char* copy : {"copy.HEIC", "copy.heif", "copy.Hif"}) {
        std::filesystem::copy_file(dir / "alpha8.heic", dir / copy);
        EXPECT_EQ(test::LoadPicture(dir / copy).rgb, test::LoadPicture(dir / "alpha8.heic").rgb)
            << copy;
    }
}

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct EncoderFree {
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};
struct ImageFree {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_encoding_options* o) const { heif_encoding_options_free(o); }
};

// A lossless HEIC of the 8-bit RGB samples whose irot/imir boxes say to
// show them turned as the EXIF orientation `orientation` says (libheif's
// encoder writes the boxes; heif-enc has no switch for them), with an EXIF
// block claiming `exifOrientation` when that is not 0.
bool WriteTurnedHeic(const std::string& path, const Samples& rgb, int orientation,
                     int exifOrientation) {
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder)
            .code != heif_error_Ok)
        return false;
    std::unique_ptr<heif_encoder, EncoderFree> encoder(rawEncoder);
    heif_encoder_set_lossless(encoder.get(), 1);
    heif_encoder_set_parameter_string(encoder.get(), "chroma", "444");
    heif_image* rawImage = nullptr;
    if (heif_image_create(rgb.width, rgb.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          &rawImage)
            .code != heif_error_Ok)
        return false;
    std::unique_ptr<heif_image, ImageFree> image(rawImage);
    heif_image_add_plane(image.get(), heif_channel_interleaved, rgb.width, rgb.height, 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    const std::vector<uint8_t> bytes = rgb.Rgb8();
    for (int y = 0; y < rgb.height; ++y)
        std::memcpy(plane + static_cast<size_t>(y) * stride, &bytes[size_t{3} * rgb.width * y],
                    size_t{3} * rgb.width);
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    nclx->matrix_coefficients = heif_matrix_coefficients_RGB_GBR;
    nclx->full_range_flag = 1;
    heif_image_set_nclx_color_profile(image.get(), nclx);
    heif_nclx_color_profile_free(nclx);
    std::unique_ptr<heif_encoding_options, OptionsFree> options(heif_encoding_options_alloc());
    options->image_orientation = static_cast<heif_orientation>(orientation);
    heif_image_handle* handle = nullptr;
    if (heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(), &handle)
            .code != heif_error_Ok)
        return false;
    bool ok = true;
    if (exifOrientation > 0) {
        // libheif takes the TIFF header onwards.
        const std::vector<uint8_t> exif = test::ExifOrientationBlock(exifOrientation);
        ok = heif_context_add_exif_metadata(context.get(), handle, exif.data() + 6,
                                            static_cast<int>(exif.size() - 6))
                 .code == heif_error_Ok;
    }
    heif_image_handle_release(handle);
    return ok && heif_context_write_to_file(context.get(), path.c_str()).code == heif_error_Ok;
}

// The file's own rotation and mirror are part of how the picture is shown:
// always applied, whether turning photos upright is asked for or not; the
// EXIF orientation stored beside them (the same turn, said again) is not
// applied a second time. The picture comes out as the EXIF orientation's
// turn of the stored one.
TEST(Heif, RotationAndMirrorOfTheFileAreAlwaysAppliedAndExifNotAgain) {
    TempDir dir;
    const Samples stored = test::TestPicture(40, 24, 3, 8);
    image::CPxImage plain;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::string path = dir / ("turned" + std::to_string(orientation) + ".heic");
        ASSERT_TRUE(WriteTurnedHeic(path, stored, orientation, orientation));
        // The turn is in the file's own boxes.
        const std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        const auto has = [&](const char* box) {
            return std::search(bytes.begin(), bytes.end(), box, box + 4) != bytes.end();
        };
        EXPECT_EQ(has("irot"), orientation == 3 || orientation >= 5);
        EXPECT_EQ(has("imir"),
                  orientation == 2 || orientation == 4 || orientation == 5 || orientation == 7);
        image::CPxImage expected;
        test::SetPixels(expected, stored.Rgb8(), stored.width, stored.height);
        ASSERT_EQ(expected.Orient(orientation), image::ErrNone);
        const std::vector<uint8_t> want(expected.data(),
                                        expected.data() + size_t{3} * stored.width * stored.height);
        for (const bool upright : {false, true}) {
            image::DecodeHints hints;
            hints.readOrientation = upright;
            const test::LoadedPicture got = test::LoadPicture(path, hints);
            ASSERT_EQ(got.code, image::ErrNone);
            EXPECT_EQ(got.width, expected.width());
            EXPECT_EQ(got.height, expected.height());
            EXPECT_EQ(got.info.orientation, 1);
            EXPECT_EQ(got.info.fullWidth, expected.width());
            EXPECT_EQ(got.info.fullHeight, expected.height());
            EXPECT_EQ(test::MaxDifference(got.rgb, want), 0) << "upright " << upright;
        }
    }
}

// Damaged, cut short or not HEIF at all: an error code of the format,
// nothing delivered and nothing written to the standard error.
TEST(Heif, DamagedAndTruncatedFilesAreReportedAsInvalid) {
    VIG_SKIP_WITHOUT("heif-enc");
    TempDir dir;
    const Samples source = test::TestPicture(64, 40, 3, 8);
    for (const char* ext : {"heic", "avif"}) {
        SCOPED_TRACE(ext);
        const std::string good = dir / (std::string("good.") + ext);
        ASSERT_TRUE(test::EncodePicture(good, source, {"heif-enc", "-q", "60"}));
        const std::vector<uint8_t> bytes = test::ReadFileBytes(good);
        const image::ErrorCode invalid =
            std::string(ext) == "heic" ? image::ErrInvalidHeif : image::ErrInvalidAvif;
        const auto find = [&](const char* type) {
            const auto at = std::search(bytes.begin(), bytes.end(), type, type + 4);
            return static_cast<size_t>(at - bytes.begin());
        };
        const size_t mdat = find("mdat");
        // Where the first extent of the first item of the item locations
        // says its data starts (a 4-byte offset).
        const size_t firstExtent = [&] {
            size_t p = find("iloc") + 4;
            const int version = bytes[p];
            p += 4;
            const int offsetSize = bytes[p] >> 4;
            const int baseSize = bytes[p + 1] >> 4;
            const int indexSize = version >= 1 ? bytes[p + 1] & 15 : 0;
            p += 2 + (version < 2 ? 2 : 4);                       // sizes, item count
            p += (version < 2 ? 2 : 4) + (version >= 1 ? 2 : 0);  // item, construction
            p += 2 + static_cast<size_t>(baseSize) + 2 + static_cast<size_t>(indexSize);
            EXPECT_EQ(offsetSize, 4);
            return p;
        }();
        ASSERT_LT(mdat + 8, bytes.size());
        const auto cut = [&](size_t n) {
            return std::vector<uint8_t>(bytes.begin(), bytes.begin() + n);
        };
        const auto with = [&](size_t at, std::vector<uint8_t> patch) {
            std::vector<uint8_t> b = bytes;
            std::copy(patch.begin(), patch.end(), b.begin() + at);
            return b;
        };
        const struct {
            const char* what;
            std::vector<uint8_t> bytes;
        } rows[] = {
            {"empty", {}},
            {"text", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
            {"ftyp only", cut(find("meta") - 4)},
            {"meta cut", cut(find("iloc"))},
            {"no picture data", cut(mdat + 4)},
            {"picture data cut in half", cut(mdat + 4 + (bytes.size() - mdat - 4) / 2)},
            {"last bytes missing", cut(bytes.size() - 3)},
            {"no file type box", with(find("ftyp"), {'x', 'x', 'x', 'x'})},
            {"meta larger than the file", with(find("meta") - 4, {0x7F, 0xFF, 0xFF, 0xF0})},
            {"item data beyond the file", with(firstExtent, {0x7F, 0xFF, 0xFF, 0xF0})},
        };
        for (const auto& r : rows) {
            const std::string path = dir / (std::string("bad.") + ext);
            ASSERT_TRUE(test::WriteFileBytes(path, r.bytes));
            int w = -1, h = -1;
            testing::internal::CaptureStderr();
            const image::PixelBlock block = std::string(ext) == "heic"
                                                ? image::heif::Read(path, &w, &h)
                                                : image::heif::ReadAvif(path, &w, &h);
            const image::ErrorCode code = image::GetLastImageError();
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << r.what;
            EXPECT_TRUE(block.empty()) << r.what;
            EXPECT_EQ(code, invalid) << r.what << ": " << image::ErrorText(code);
            EXPECT_EQ(w, 0);
            EXPECT_EQ(h, 0);
        }
    }
    EXPECT_EQ(image::ErrorText(image::ErrInvalidHeif), "Invalid HEIF file");
    EXPECT_EQ(image::ErrorText(image::ErrInvalidAvif), "Invalid AVIF file");
}

// libheif and its decoders work at the sizes the coded streams and grids
// declare, which the file's extents need not match; they are read before
// decoding. Files declaring a grid of 14441 x 27759 and an overlay of
// 26979 x 28730 (found by fuzzing: libheif took 2.4 GB for a 660-byte
// file) are refused without decoding.
TEST(Heif, SizesDeclaredBeyondThePictureAreFoundBeforeDecoding) {
    VIG_SKIP_WITHOUT("heif-enc");
    TempDir dir;
    const Samples source = test::TestPicture(67, 45, 4, 8);
    const auto declared = [](const std::string& path) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        EXPECT_EQ(fstat(fd, &st), 0);
        image::heif::MetaBox meta;
        EXPECT_TRUE(
            image::heif::ReadMetaBox(fd, static_cast<uint64_t>(st.st_size), 1 << 20, &meta));
        EXPECT_FALSE(meta.content.empty());
        const image::heif::DeclaredSize size =
            image::heif::LargestDeclaredPicture(fd, static_cast<uint64_t>(st.st_size), meta);
        close(fd);
        return std::make_pair(size.width, size.height);
    };
    ASSERT_TRUE(test::EncodePicture(dir / "p.heic", source, {"heif-enc", "-q", "60"}));
    const auto [hevcWidth, hevcHeight] = declared(dir / "p.heic");
    EXPECT_GE(hevcWidth, 67u) << "HEVC codes whole blocks";
    EXPECT_LT(hevcWidth, 67u + 64u);
    EXPECT_GE(hevcHeight, 45u);
    EXPECT_LT(hevcHeight, 45u + 64u);
    ASSERT_TRUE(test::EncodePicture(dir / "p.avif", source, {"heif-enc", "-q", "60"}));
    EXPECT_EQ(declared(dir / "p.avif"), std::make_pair(67u, 45u));

    // A parameter set among the picture's own NAL units counts as one of
    // the configuration does: that of a 320 x 200 picture put before the
    // slices of the small one.
    ASSERT_TRUE(test::EncodePicture(dir / "big.heic", test::TestPicture(320, 200, 3, 8),
                                    {"heif-enc", "-q", "60"}));
    const std::pair<uint32_t, uint32_t> big = declared(dir / "big.heic");
    EXPECT_GE(big, std::make_pair(320u, 200u));
    ASSERT_TRUE(test::EncodePicture(dir / "small.heic", test::TestPicture(67, 45, 3, 8),
                                    {"heif-enc", "-q", "60"}));
    const auto spsOf = [](const std::vector<uint8_t>& file) {
        // In hvcC: a 22-byte header, the array count, then arrays of NAL
        // units, each after its 2-byte length.
        const char hvcC[] = "hvcC";
        size_t p = std::search(file.begin(), file.end(), hvcC, hvcC + 4) - file.begin() + 4 + 23;
        while (p + 5 < file.size() && (file[p] & 0x3F) != 33)
            p += 3 + (size_t{file[p + 3]} << 8 | file[p + 4]) + 2;  // one NAL unit each
        const size_t length = size_t{file[p + 3]} << 8 | file[p + 4];
        return std::vector<uint8_t>(file.begin() + p + 5, file.begin() + p + 5 + length);
    };
    std::vector<uint8_t> small = test::ReadFileBytes(dir / "small.heic");
    const std::vector<uint8_t> sps = spsOf(test::ReadFileBytes(dir / "big.heic"));
    ASSERT_EQ((sps[0] >> 1) & 0x3F, 33);
    // The item's data starts the mdat box (the last of the file) and is its
    // only content: insert there, and lengthen the item and the box.
    const char mdat[] = "mdat";
    const size_t at = std::search(small.begin(), small.end(), mdat, mdat + 4) - small.begin() + 4;
    ASSERT_LT(at, small.size());
    std::vector<uint8_t> inserted = {0, 0, uint8_t(sps.size() >> 8), uint8_t(sps.size())};
    inserted.insert(inserted.end(), sps.begin(), sps.end());
    const auto add32 = [&](size_t p, size_t n) {
        uint32_t v = uint32_t{small[p]} << 24 | uint32_t{small[p + 1]} << 16 |
                     uint32_t{small[p + 2]} << 8 | small[p + 3];
        v += static_cast<uint32_t>(n);
        for (int i = 0; i < 4; ++i) small[p + i] = uint8_t(v >> (24 - 8 * i));
    };
    add32(at - 8, inserted.size());
    const char iloc[] = "iloc";
    const size_t ilocAt = std::search(small.begin(), small.end(), iloc, iloc + 4) - small.begin();
    // heif-enc writes iloc version 1 with 4-byte offsets, lengths and base
    // offsets; the first item is the picture's (the grid's data is in idat).
    ASSERT_EQ(small[ilocAt + 4], 1);
    ASSERT_EQ(small[ilocAt + 8], 0x44);
    ASSERT_EQ(small[ilocAt + 9], 0x40);
    ASSERT_EQ(small[ilocAt + 14] | small[ilocAt + 15], 0) << "construction method 0";
    // version and flags, sizes, count, item, construction method, data
    // reference, base offset, extent count, offset, then the length.
    add32(ilocAt + 4 + 4 + 2 + 2 + 2 + 2 + 2 + 4 + 2 + 4, inserted.size());
    small.insert(small.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
    ASSERT_TRUE(test::WriteFileBytes(dir / "in-band.heic", small));
    EXPECT_EQ(declared(dir / "in-band.heic"), big);

    const struct {
        const char* file;
        uint32_t width, height;
    } kept[] = {{"grid-data-past-idat.heic", 14441, 27759},
                {"overlay-tile-odd-index-size.heic", 26979, 28730}};
    for (const auto& k : kept) {
        SCOPED_TRACE(k.file);
        const std::string path = test::DataPath(std::string("heif/b/") + k.file);
        EXPECT_EQ(declared(path), std::make_pair(k.width, k.height));
        rusage before {};
        getrusage(RUSAGE_SELF, &before);
        int w = -1, h = -1;
        EXPECT_TRUE(image::heif::Read(path, &w, &h).empty());
        EXPECT_EQ(image::GetLastImageError(), image::ErrOutOfMemory);
        rusage after {};
        getrusage(RUSAGE_SELF, &after);
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "kilobytes";
    }
}

// The ICC profile a file carries is handed over as stored when asked for
// (the colours are left as decoded); an nclx description is no profile.
TEST(Heif, ColourProfileIsHandedOverWhenAskedFor) {
    VIG_SKIP_WITHOUT("heif-enc");
    TempDir dir;
    const std::vector<uint8_t> icc = test::TestIccProfile(412);
    const Samples source = test::TestPicture(32, 20, 3, 8);
    for (const char* name : {"icc.heic", "icc.avif"}) {
        ASSERT_TRUE(test::EncodePicture(dir / name, source, {"heif-enc"}, icc));
        image::DecodeHints hints;
        hints.readColourProfile = true;
        const test::LoadedPicture with = test::LoadPicture(dir / name, hints);
        ASSERT_EQ(with.code, image::ErrNone);
        EXPECT_EQ(with.info.iccProfile, icc) << name;
        const test::LoadedPicture without = test::LoadPicture(dir / name);
        EXPECT_TRUE(without.info.iccProfile.empty());
        EXPECT_EQ(with.rgb, without.rgb);
    }
    ASSERT_TRUE(test::EncodePicture(dir / "nclx.avif", source, {"heif-enc"}));
    image::DecodeHints hints;
    hints.readColourProfile = true;
    EXPECT_TRUE(test::LoadPicture(dir / "nclx.avif", hints).info.iccProfile.empty());
}

}  // namespace
}  // namespace vig
