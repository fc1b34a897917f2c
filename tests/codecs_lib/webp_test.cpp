#include "image/formats/webp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "image/cpx_image.h"
#include "image/error_codes.h"
#include "image/image_library.h"
#include "lib_test_util.h"
#include "modern_test_util.h"
#include "support/exif_jpeg.h"

namespace vig {
namespace {

using test::Samples;
using test::TempDir;

// dwebp's pixels of a file (RGBA, as PAM).
Samples Reference(const std::string& path) {
    Samples ref;
    const std::string pam = path + ".pam";
    EXPECT_TRUE(test::RunProgram({"dwebp", path, "-pam", "-o", pam}));
    EXPECT_TRUE(test::ReadPnmSamples(pam, &ref));
    return ref;
}

// What cwebp makes of the picture, read back as dwebp reads it: exactly
// (the same library decodes), with alpha composited over the background;
// lossless files give the source's own pixels.
TEST(Webp, ReadsWhatTheReferenceDecoderReads) {
    VIG_SKIP_WITHOUT("cwebp", "dwebp");
    TempDir dir;
    const struct {
        const char* name;
        std::vector<std::string> options;
        int channels;
        bool lossless;
    } rows[] = {
        {"lossy.webp", {"-q", "80"}, 3, false},
        {"lossless.webp", {"-lossless"}, 3, true},
        {"lossy-alpha.webp", {"-q", "80"}, 4, false},
        {"lossy-alpha-q.webp", {"-q", "80", "-alpha_q", "40"}, 4, false},
        {"lossless-alpha.webp", {"-lossless", "-exact"}, 4, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const Samples source = test::TestPicture(69, 43, r.channels, 8);
        std::vector<std::string> command = {"cwebp", "-quiet"};
        command.insert(command.end(), r.options.begin(), r.options.end());
        ASSERT_TRUE(test::EncodePicture(dir / r.name, source, command));
        const test::LoadedPicture got = test::LoadPicture(dir / r.name);
        ASSERT_EQ(got.code, image::ErrNone);
        EXPECT_EQ(got.inputFormat, image::InputWebp);
        ASSERT_EQ(got.width, 69);
        ASSERT_EQ(got.height, 43);
        EXPECT_EQ(test::MaxDifference(got.rgb, test::ExpectedRgb(Reference(dir / r.name), 8)), 0);
        if (r.lossless) {
            EXPECT_EQ(got.rgb, test::ExpectedRgb(source, 8));
        }
    }
    std::filesystem::copy_file(dir / "lossy.webp", dir / "upper.WEBP");
    EXPECT_EQ(test::LoadPicture(dir / "upper.WEBP").rgb, test::LoadPicture(dir / "lossy.webp").rgb);
}

// Of an animation the first frame is read as it shows on the canvas; where
// it does not cover the canvas, the background shows.
TEST(Webp, AnAnimationGivesItsFirstFrame) {
    VIG_SKIP_WITHOUT("cwebp", "img2webp", "webpmux");
    TempDir dir;
    const Samples first = test::TestPicture(48, 30, 4, 8);
    Samples second = test::TestPicture(48, 30, 4, 8);
    for (uint16_t& v : second.values) v = static_cast<uint16_t>(255 - v);
    ASSERT_TRUE(test::WritePngSamples(dir / "f1.png", first));
    ASSERT_TRUE(test::WritePngSamples(dir / "f2.png", second));
    ASSERT_TRUE(test::RunProgram(
        {"img2webp", "-lossless", dir / "f1.png", dir / "f2.png", "-o", dir / "anim.webp"}));
    const std::vector<uint8_t> bytes = test::ReadFileBytes(dir / "anim.webp");
    const char anmf[] = "ANMF";
    size_t frames = 0;
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), anmf, anmf + 4)) != bytes.end(); ++at)
        ++frames;
    ASSERT_EQ(frames, 2u);
    test::LoadedPicture got = test::LoadPicture(dir / "anim.webp");
    ASSERT_EQ(got.code, image::ErrNone);
    EXPECT_EQ(got.rgb, test::ExpectedRgb(first, 8));

    // A first frame of 20 x 12 at (8, 6) on the 48 x 30 canvas the second
    // frame spans.
    const Samples small = test::TestPicture(20, 12, 3, 8);
    ASSERT_TRUE(test::EncodePicture(dir / "small.webp", small, {"cwebp", "-quiet", "-lossless"}));
    ASSERT_TRUE(test::EncodePicture(dir / "big.webp", second, {"cwebp", "-quiet", "-lossless"}));
    ASSERT_TRUE(
        test::RunProgram({"webpmux", "-frame", dir / "small.webp", "+100+8+6", "-frame",
                          dir / "big.webp", "+100+0+0", "-loop", "0", "-o", dir / "offset.webp"}));
    got = test::LoadPicture(dir / "offset.webp");
    ASSERT_EQ(got.code, image::ErrNone);
    ASSERT_EQ(got.width, 48);
    ASSERT_EQ(got.height, 30);
    const std::vector<uint8_t> inside = test::ExpectedRgb(small, 8);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 48; ++x) {
            const bool in = x >= 8 && x < 28 && y >= 6 && y < 18;
            for (int c = 0; c < 3; ++c) {
                const uint8_t want =
                    in ? inside[(size_t(y - 6) * 20 + size_t(x - 8)) * 3 + c] : test::kTestBack[c];
                ASSERT_EQ(got.rgb[(size_t(y) * 48 + size_t(x)) * 3 + c], want) << x << "," << y;
            }
        }
    }
}

// Damaged, cut short or not WebP at all: ErrInvalidWebp, nothing delivered
// and nothing written to the standard error.
TEST(Webp, DamagedAndTruncatedFilesAreReportedAsInvalid) {
    VIG_SKIP_WITHOUT("cwebp");
    TempDir dir;
    const Samples source = test::TestPicture(64, 40, 4, 8);
    for (const char* kind : {"-q", "-lossless"}) {
        SCOPED_TRACE(kind);
        std::vector<std::string> command = {"cwebp", "-quiet", kind};
        if (std::string(kind) == "-q") command.push_back("70");
        ASSERT_TRUE(test::EncodePicture(dir / "good.webp", source, command));
        const std::vector<uint8_t> bytes = test::ReadFileBytes(dir / "good.webp");
        ASSERT_GT(bytes.size(), 64u);
        const auto cut = [&](size_t n) {
            return std::vector<uint8_t>(bytes.begin(), bytes.begin() + n);
        };
        const auto with = [&](size_t at, std::vector<uint8_t> patch) {
            std::vector<uint8_t> b = bytes;
            std::copy(patch.begin(), patch.end(), b.begin() + at);
            return b;
        };
        // The first chunk after the RIFF header: VP8X when there is alpha
        // in a lossy file, else the picture's own.
        const struct {
            const char* what;
            std::vector<uint8_t> bytes;
        } rows[] = {
            {"empty", {}},
            {"text", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
            {"RIFF header only", cut(12)},
            {"first chunk header only", cut(20)},
            {"cut in half", cut(bytes.size() / 2)},
            {"last bytes missing", cut(bytes.size() - 2)},
            {"not RIFF", with(0, {'R', 'I', 'F', 'X'})},
            {"not WEBP", with(8, {'W', 'A', 'V', 'E'})},
            {"unknown first chunk", with(12, {'X', 'Y', 'Z', ' '})},
            {"chunk longer than the file", with(16, {0xF0, 0xFF, 0xFF, 0x7F})},
        };
        for (const auto& r : rows) {
            ASSERT_TRUE(test::WriteFileBytes(dir / "bad.webp", r.bytes));
            int w = -1, h = -1;
            testing::internal::CaptureStderr();
            const image::PixelBlock block = image::webp::Read(dir / "bad.webp", &w, &h);
            const image::ErrorCode code = image::GetLastImageError();
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << r.what;
            EXPECT_TRUE(block.empty()) << r.what;
            EXPECT_EQ(code, image::ErrInvalidWebp) << r.what << ": " << image::ErrorText(code);
            EXPECT_EQ(w, 0);
            EXPECT_EQ(h, 0);
        }
    }
    EXPECT_EQ(image::ErrorText(image::ErrInvalidWebp), "Invalid WebP file");
}

// An EXIF chunk's orientation is applied when photos are to be turned
// upright (the chunk holds the TIFF header, with or without JPEG's "Exif"
// prefix); the ICC profile is handed over when asked for.
TEST(Webp, ExifOrientationAndColourProfileOfTheChunks) {
    VIG_SKIP_WITHOUT("cwebp", "webpmux");
    TempDir dir;
    const Samples source = test::TestPicture(36, 20, 3, 8);
    const std::vector<uint8_t> icc = test::TestIccProfile(300);
    ASSERT_TRUE(test::EncodePicture(dir / "plain.webp", source,
                                    {"cwebp", "-quiet", "-lossless", "-metadata", "icc"}, icc));
    for (const int orientation : {3, 6, 7}) {
        for (const bool prefixed : {false, true}) {
            SCOPED_TRACE(orientation * 10 + prefixed);
            std::vector<uint8_t> exif = test::ExifOrientationBlock(orientation, prefixed);
            if (!prefixed) exif.erase(exif.begin(), exif.begin() + 6);
            ASSERT_TRUE(test::WriteFileBytes(dir / "exif.bin", exif));
            ASSERT_TRUE(test::RunProgram({"webpmux", "-set", "exif", dir / "exif.bin",
                                          dir / "plain.webp", "-o", dir / "exif.webp"}));
            image::DecodeHints hints;
            hints.readOrientation = true;
            hints.readColourProfile = true;
            const test::LoadedPicture turned = test::LoadPicture(dir / "exif.webp", hints);
            ASSERT_EQ(turned.code, image::ErrNone);
            EXPECT_EQ(turned.info.orientation, orientation);
            EXPECT_EQ(turned.info.iccProfile, icc);
            image::CPxImage expected;
            test::SetPixels(expected, source.Rgb8(), source.width, source.height);
            ASSERT_EQ(expected.Orient(orientation), image::ErrNone);
            EXPECT_EQ(turned.width, expected.width());
            EXPECT_EQ(turned.info.fullWidth, expected.width());
            EXPECT_EQ(turned.rgb,
                      std::vector<uint8_t>(expected.data(), expected.data() + turned.rgb.size()));
            const test::LoadedPicture asStored = test::LoadPicture(dir / "exif.webp");
            EXPECT_EQ(asStored.info.orientation, 1);
            EXPECT_TRUE(asStored.info.iccProfile.empty());
            EXPECT_EQ(asStored.rgb, source.Rgb8());
        }
    }
}

}  // namespace
}  // namespace vig
