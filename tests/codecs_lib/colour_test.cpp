// Embedded ICC profiles through the JPEG, PNG and TIFF readers: a Display P3
// picture comes out in sRGB as transicc computes it, whether read whole or
// reduced while read; profiles that cannot be used, and every profile when
// the hints do not ask for these formats, leave the pixels exactly as the
// same file without its profile gives them. HEIC, AVIF and WebP pictures
// are converted by default, by an ICC profile or an nclx description.
#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <algorithm>
#include <memory>

#include "image/formats/heif.h"
#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "image/formats/webp.h"
#include "lib_test_util.h"
#include "support/colour_profiles.h"
#include "support/encoder_tools.h"
#include "support/tagged_pictures.h"

namespace vig {
namespace {

using test::Rgb;
using test::TaggedFormat;

// Display P3's red (outside sRGB) and colours inside both spaces.
const std::vector<Rgb> kColours = {
    {255, 0, 0}, {190, 40, 40}, {60, 170, 80}, {40, 60, 160}, {128, 128, 128}};
constexpr int kSide = 32;  // two JPEG blocks of halved chroma: the centres are flat
constexpr TaggedFormat kFormats[] = {TaggedFormat::Jpeg, TaggedFormat::Png, TaggedFormat::Tiff};

const char* Name(TaggedFormat f) {
    return f == TaggedFormat::Jpeg ? "JPEG" : f == TaggedFormat::Png ? "PNG" : "TIFF";
}

struct Picture {
    std::vector<uint8_t> pixels;
    int width = 0;
    int height = 0;
    image::DecodeInfo info;
};

// Reads with the profile conversion asked for, whole or halved while read.
Picture Read(TaggedFormat format, const std::string& path, image::ProfileConversion conversion,
             bool halved = false) {
    image::DecodeHints hints;
    hints.convertProfiles = conversion;
    if (halved) hints.plan = [](int w, int h) { return image::DecodePlan{0, 0, w / 2, h / 2}; };
    Picture p;
    const auto read = format == TaggedFormat::Jpeg  ? image::jpeg::ReadHinted
                      : format == TaggedFormat::Png ? image::png::ReadHinted
                                                    : image::tiff::ReadHinted;
    const image::PixelBlock block = read(path, hints, &p.info, &p.width, &p.height);
    if (!block.empty()) p.pixels.assign(block.data(), block.data() + block.size());
    return p;
}

// The pixel at the centre of each patch.
std::vector<Rgb> Centres(const Picture& p) {
    std::vector<Rgb> out;
    const int side = p.height;
    for (size_t k = 0; k < kColours.size() && !p.pixels.empty(); ++k) {
        const size_t at = (static_cast<size_t>(side / 2) * p.width + k * side + side / 2) * 3;
        out.push_back({p.pixels[at], p.pixels[at + 1], p.pixels[at + 2]});
    }
    return out;
}

TEST(EmbeddedProfile, DisplayP3PatchesComeOutAsTransiccGivesThemInSrgb) {
    if (!test::TransiccInstalled())
        GTEST_SKIP() << "transicc is not installed (liblcms2-utils); run scripts/setup.sh --test";
    test::TempDir dir;
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    const std::vector<uint8_t> rgb = test::Patches(kColours, kSide);
    const int w = kSide * static_cast<int>(kColours.size());
    for (TaggedFormat format : kFormats) {
        const std::string path = dir / (std::string("p3") + test::ExtensionOf(format));
        ASSERT_TRUE(test::WriteTagged(format, path, rgb, w, kSide, p3));
        // The reference is what transicc makes of the decoded centres, so
        // that JPEG's loss counts for neither side; a flat patch of a JPEG
        // decodes within 3 of its colour, PNG and TIFF exactly.
        const std::vector<Rgb> stored = Centres(Read(format, path, image::ProfileConversion::None));
        ASSERT_EQ(stored.size(), kColours.size()) << Name(format);
        const int loss = format == TaggedFormat::Jpeg ? 3 : 0;
        for (size_t k = 0; k < kColours.size(); ++k)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(stored[k][c], kColours[k][c], loss) << Name(format) << " patch " << k;
        const auto want = test::TransiccToSrgb(p3, stored);
        ASSERT_EQ(want.size(), kColours.size());
        for (bool halved : {false, true}) {
            const Picture got = Read(format, path, image::ProfileConversion::All, halved);
            EXPECT_EQ(got.info.profile, image::ProfileOutcome::Converted) << Name(format);
            EXPECT_EQ(got.width, halved ? w / 2 : w) << Name(format);
            const std::vector<Rgb> centres = Centres(got);
            ASSERT_EQ(centres.size(), kColours.size()) << Name(format);
            for (size_t k = 0; k < kColours.size(); ++k)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(centres[k][c], want[k][c], 1.0)
                        << Name(format) << (halved ? " halved" : "") << " patch " << k;
        }
    }
}

// The JPEG file without the n-th APP2 segment (counted from 0).
std::vector<uint8_t> WithoutApp2(std::vector<uint8_t> jpeg, int n) {
    for (size_t pos = 2; pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF;) {
        const size_t length = (size_t{jpeg[pos + 2]} << 8) | jpeg[pos + 3];
        if (jpeg[pos + 1] == 0xDA) break;
        if (jpeg[pos + 1] == 0xE2 && n-- == 0) {
            jpeg.erase(jpeg.begin() + static_cast<std::ptrdiff_t>(pos),
                       jpeg.begin() + static_cast<std::ptrdiff_t>(pos + 2 + length));
            break;
        }
        pos += 2 + length;
    }
    return jpeg;
}

TEST(EmbeddedProfile, ProfilesThatCannotBeUsedLeaveThePixelsAsTheyAre) {
    test::TempDir dir;
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    // Past the 65519 bytes of one APP2 segment: a JPEG stores it in three.
    std::vector<uint8_t> large = p3;
    large.resize(150000, 0);
    const std::vector<uint8_t> rgb = test::Patches(kColours, kSide);
    const int w = kSide * static_cast<int>(kColours.size());
    using Outcome = image::ProfileOutcome;
    const struct {
        const char* name;
        std::vector<uint8_t> profile;
        // For JPEG and TIFF; PNG: what is left once libpng has judged the
        // profile (it drops one cut short, or of colours an RGB PNG cannot
        // have, without a word).
        Outcome outcome;
        Outcome png;
    } cases[] = {
        {"cut short", test::Truncated(p3, p3.size() / 2), Outcome::Unreadable, Outcome::None},
        {"cut within the header", test::Truncated(p3, 64), Outcome::Unreadable, Outcome::None},
        {"tag data scrambled", test::TagsScrambled(p3), Outcome::Unreadable, Outcome::Unreadable},
        {"gray", test::GrayProfile(), Outcome::NotRgb, Outcome::None},
        {"CMYK", test::CmykProfile(), Outcome::NotRgb, Outcome::None},
    };
    for (TaggedFormat format : kFormats) {
        const std::string plain = dir / (std::string("plain") + test::ExtensionOf(format));
        ASSERT_TRUE(test::WriteTagged(format, plain, rgb, w, kSide, {}));
        const Picture want = Read(format, plain, image::ProfileConversion::All);
        ASSERT_FALSE(want.pixels.empty());
        EXPECT_EQ(want.info.profile, Outcome::None);
        for (const auto& c : cases) {
            const std::string path = dir / (std::string("x") + test::ExtensionOf(format));
            ASSERT_TRUE(test::WriteTagged(format, path, rgb, w, kSide, c.profile));
            const Picture got = Read(format, path, image::ProfileConversion::All);
            EXPECT_EQ(got.info.profile, format == TaggedFormat::Png ? c.png : c.outcome)
                << Name(format) << " " << c.name;
            EXPECT_EQ(got.pixels, want.pixels) << Name(format) << " " << c.name;
        }
    }
    // A JPEG profile in several segments is put together again; one with a
    // segment missing cannot be read.
    const std::string path = dir / "large.jpg";
    ASSERT_TRUE(test::WriteTaggedJpeg(path, rgb, w, kSide, large));
    const Picture whole = Read(TaggedFormat::Jpeg, path, image::ProfileConversion::All);
    EXPECT_EQ(whole.info.profile, Outcome::Converted);
    ASSERT_TRUE(test::WriteFileBytes(path, WithoutApp2(test::ReadFileBytes(path), 1)));
    const Picture gap = Read(TaggedFormat::Jpeg, path, image::ProfileConversion::All);
    EXPECT_EQ(gap.info.profile, Outcome::Unreadable);
    EXPECT_EQ(gap.pixels,
              Read(TaggedFormat::Jpeg, dir / "plain.jpg", image::ProfileConversion::All).pixels);
}

TEST(EmbeddedProfile, TheOriginalFormatsConvertOnlyWhenAskedForAllFormats) {
    test::TempDir dir;
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    const std::vector<uint8_t> rgb = test::Patches(kColours, kSide);
    const int w = kSide * static_cast<int>(kColours.size());
    for (TaggedFormat format : kFormats) {
        const std::string ext = test::ExtensionOf(format);
        ASSERT_TRUE(test::WriteTagged(format, dir / ("plain" + ext), rgb, w, kSide, {}));
        ASSERT_TRUE(test::WriteTagged(format, dir / ("p3" + ext), rgb, w, kSide, p3));
        const Picture plain = Read(format, dir / ("plain" + ext), image::ProfileConversion::None);
        for (image::ProfileConversion conversion :
             {image::ProfileConversion::None, image::ProfileConversion::NewFormats}) {
            const Picture got = Read(format, dir / ("p3" + ext), conversion);
            EXPECT_EQ(got.info.profile, image::ProfileOutcome::None) << Name(format);
            EXPECT_EQ(got.pixels, plain.pixels) << Name(format);
        }
        // The image object reads without hints: as stored.
        EXPECT_EQ(test::Pixels(dir / ("p3" + ext)), plain.pixels) << Name(format);
        EXPECT_NE(Read(format, dir / ("p3" + ext), image::ProfileConversion::All).pixels,
                  plain.pixels)
            << Name(format);
    }
}

// The patches as a HEIC (HEVC) or AVIF (AV1) file of libheif's encoders
// whose colr box is the nclx description of these primaries and transfer
// characteristics (heif-enc of Debian 12 leaves its own options for them
// out, and libheif leaves a HEIC's nclx out unless told to: macOS once
// misread it). The format follows the path's extension.
bool WriteNclxHeif(const std::string& path, const std::vector<uint8_t>& rgb, int w, int h,
                   int primaries, int transfer) {
    heif_init(nullptr);
    std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                   heif_context_free);
    const bool avif = path.size() > 5 && path.compare(path.size() - 5, 5, ".avif") == 0;
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(
            context.get(), avif ? heif_compression_AV1 : heif_compression_HEVC, &encoder)
            .code != heif_error_Ok)
        return false;
    std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> keepEncoder(encoder,
                                                                       heif_encoder_release);
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_image* raw = nullptr;
    if (heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &raw).code !=
        heif_error_Ok)
        return false;
    std::unique_ptr<heif_image, void (*)(const heif_image*)> image(raw, heif_image_release);
    heif_image_add_plane(raw, heif_channel_interleaved, w, h, 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(raw, heif_channel_interleaved, &stride);
    for (int y = 0; y < h; ++y)
        std::copy_n(rgb.data() + static_cast<size_t>(y) * w * 3, static_cast<size_t>(w) * 3,
                    plane + static_cast<size_t>(y) * stride);
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    nclx->color_primaries = static_cast<heif_color_primaries>(primaries);
    nclx->transfer_characteristics = static_cast<heif_transfer_characteristics>(transfer);
    nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
    nclx->full_range_flag = 1;
    heif_image_set_nclx_color_profile(raw, nclx);
    std::unique_ptr<heif_encoding_options, void (*)(heif_encoding_options*)> options(
        heif_encoding_options_alloc(), heif_encoding_options_free);
    options->output_nclx_profile = nclx;
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
    const bool ok =
        heif_context_encode_image(context.get(), raw, encoder, options.get(), nullptr).code ==
            heif_error_Ok &&
        heif_context_write_to_file(context.get(), path.c_str()).code == heif_error_Ok;
    heif_nclx_color_profile_free(nclx);
    return ok;
}

Picture ReadNew(const std::string& path, const image::DecodeHints& hints) {
    Picture p;
    const std::string ext = path.substr(path.rfind('.'));
    const auto read = ext == ".webp"   ? image::webp::ReadHinted
                      : ext == ".avif" ? image::heif::ReadAvifHinted
                                       : image::heif::ReadHinted;
    const image::PixelBlock block = read(path, hints, &p.info, &p.width, &p.height);
    if (!block.empty()) p.pixels.assign(block.data(), block.data() + block.size());
    return p;
}

TEST(NewFormatProfile, HeifAvifAndWebpPicturesAreConvertedByDefault) {
    VIG_SKIP_WITHOUT("heif-enc", "cwebp", "webpmux");
    if (!test::TransiccInstalled())
        GTEST_SKIP() << "transicc is not installed (liblcms2-utils); run scripts/setup.sh --test";
    test::TempDir dir;
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    const std::vector<uint8_t> rgb = test::Patches(kColours, kSide);
    const int w = kSide * static_cast<int>(kColours.size());
    test::Samples samples;
    samples.width = w;
    samples.height = kSide;
    samples.values.assign(rgb.begin(), rgb.end());
    const std::vector<std::string> heifEnc = {"heif-enc", "-q", "90"};
    const std::vector<std::string> lossless = {"cwebp", "-quiet", "-lossless", "-metadata", "icc"};
    ASSERT_TRUE(test::EncodePicture(dir / "p3.heic", samples, heifEnc, p3));
    ASSERT_TRUE(test::EncodePicture(dir / "p3.avif", samples, heifEnc, p3));
    ASSERT_TRUE(test::EncodePicture(dir / "p3.webp", samples, lossless, p3));
    ASSERT_TRUE(WriteNclxHeif(dir / "nclx-p3.heic", rgb, w, kSide, 12, 13));
    ASSERT_TRUE(WriteNclxHeif(dir / "nclx-pq.heic", rgb, w, kSide, 9, 16));
    // Primaries of a reserved code, which libheif refuses (and its encoder
    // would not let go of): put into the P3 file's colr box, after "nclx".
    std::vector<uint8_t> reserved = test::ReadFileBytes(dir / "nclx-p3.heic");
    const char nclx[] = "nclx";
    const auto at = std::search(reserved.begin(), reserved.end(), nclx, nclx + 4);
    ASSERT_TRUE(at != reserved.end() && at + 6 <= reserved.end());
    ASSERT_EQ(at[5], 12) << "Display P3's code";
    at[5] = 3;
    ASSERT_TRUE(test::WriteFileBytes(dir / "nclx-reserved.heic", reserved));
    ASSERT_TRUE(WriteNclxHeif(dir / "nclx-p3.avif", rgb, w, kSide, 12, 13));
    ASSERT_TRUE(WriteNclxHeif(dir / "nclx-srgb.avif", rgb, w, kSide, 1, 13));
    ASSERT_TRUE(WriteNclxHeif(dir / "nclx-pq.avif", rgb, w, kSide, 9, 16));
    // A profile cut short, put in by webpmux (libpng would not pass it on).
    ASSERT_TRUE(test::EncodePicture(dir / "plain.webp", samples, lossless));
    ASSERT_TRUE(test::WriteFileBytes(dir / "cut.icc", test::Truncated(p3, 200)));
    ASSERT_TRUE(test::RunProgram(
        {"webpmux", "-set", "icc", dir / "cut.icc", dir / "plain.webp", "-o", dir / "cut.webp"}));
    using Outcome = image::ProfileOutcome;
    const struct {
        const char* name;
        Outcome outcome;
    } rows[] = {
        {"p3.heic", Outcome::Converted},        {"p3.avif", Outcome::Converted},
        {"p3.webp", Outcome::Converted},        {"nclx-p3.heic", Outcome::Converted},
        {"nclx-pq.heic", Outcome::Unsupported}, {"nclx-reserved.heic", Outcome::Unreadable},
        {"nclx-p3.avif", Outcome::Converted},   {"nclx-srgb.avif", Outcome::None},
        {"nclx-pq.avif", Outcome::Unsupported}, {"cut.webp", Outcome::Unreadable},
        {"plain.webp", Outcome::None},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        image::DecodeHints asStored;
        asStored.convertProfiles = image::ProfileConversion::None;
        const Picture stored = ReadNew(dir / r.name, asStored);
        EXPECT_EQ(stored.info.profile, Outcome::None);
        const Picture got = ReadNew(dir / r.name, image::DecodeHints());
        EXPECT_EQ(got.info.profile, r.outcome);
        ASSERT_FALSE(got.pixels.empty());
        if (r.outcome != Outcome::Converted) {
            EXPECT_EQ(got.pixels, stored.pixels);
            continue;
        }
        // The nclx description of Display P3 converts as its profile does.
        const std::vector<Rgb> storedCentres = Centres(stored);
        const auto want = test::TransiccToSrgb(p3, storedCentres);
        ASSERT_EQ(want.size(), kColours.size());
        const std::vector<Rgb> centres = Centres(got);
        for (size_t k = 0; k < kColours.size(); ++k)
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(centres[k][c], want[k][c], 1.0) << "patch " << k;
    }
}

}  // namespace
}  // namespace vig
