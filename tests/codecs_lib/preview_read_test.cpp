// Embedded previews: where a JPEG file says they lie (EXIF thumbnail, MPF
// large thumbnails), when one stands in for the picture under draft
// decoding, and that a preview that cannot be used, for whatever reason,
// leaves the picture's own decode exactly as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image/cpx_image.h"
#include "image/embedded_preview.h"
#include "image/formats/jpeg.h"
#include "lib_test_util.h"
#include "processing/resample.h"
#include "support/colour_profiles.h"
#include "support/encoder_tools.h"
#include "support/preview_jpeg.h"

namespace vig {
namespace {

using test::Appended;
using test::CameraFile;
using test::CameraJpeg;
using test::CameraLayout;
using test::SceneJpeg;
using test::TempDir;

// The parts of the test files: a 1200 x 800 picture (upright), a 150 x 100
// EXIF thumbnail and a 480 x 320 preview, stored under the same orientation.
struct Parts {
    explicit Parts(int orientation)
        : picture(SceneJpeg(1200, 800, orientation)),
          thumbnail(SceneJpeg(150, 100, orientation)),
          preview(SceneJpeg(480, 320, orientation)) {}
    std::vector<uint8_t> picture, thumbnail, preview;
};

TEST(EmbeddedPreviews, FoundWhereTheFileSaysAndNowhereElse) {
    const Parts parts(1);
    const std::vector<uint8_t> vga = SceneJpeg(240, 160, 1);
    const Appended preview{parts.preview};
    // The EXIF thumbnail's offset that points at the appended preview: a
    // JPEG, but outside the EXIF block.
    CameraLayout plain;
    CameraJpeg({parts.picture, 1, parts.thumbnail, {preview}}, &plain);
    const uint32_t atPreview = uint32_t(plain.appended[0] - plain.exifHeader);
    struct Row {
        const char* what;
        CameraFile file;
        // Expected, shorter first: "thumbnail" or the number of the
        // appended picture.
        std::vector<std::string> found;
    };
    const std::vector<Row> rows = {
        {"thumbnail and preview",
         {parts.picture, 1, parts.thumbnail, {preview}},
         {"thumbnail", "0"}},
        {"little-endian blocks",
         {parts.picture, 6, parts.thumbnail, {preview}, false},
         {"thumbnail", "0"}},
        {"a thumbnail alone", {parts.picture, 8, parts.thumbnail}, {"thumbnail"}},
        {"an orientation without a thumbnail", {parts.picture, 3, {}, {preview}}, {"0"}},
        {"a preview without an EXIF block", {parts.picture, 0, {}, {preview}}, {"0"}},
        {"the larger of two large thumbnails",
         {parts.picture, 0, {}, {{vga, 0x00010001}, preview}},
         {"1"}},
        {"pictures that are no previews: undefined (a gain map), disparity, not JPEG",
         {parts.picture,
          0,
          {},
          {{parts.preview, 0x00000000}, {parts.preview, 0x00020002}, {parts.preview, 0x01010002}}},
         {}},
        {"a preview listed beyond the end of the file",
         {parts.picture, 0, {}, {{parts.preview, Appended::kPreview, 0x7FFFFFF0}}},
         {}},
        {"a preview listed longer than the file",
         {parts.picture, 0, {}, {{parts.preview, Appended::kPreview, {}, 0x7FFFFFF0}}},
         {}},
        {"a thumbnail listed beyond its block",
         {parts.picture, 1, parts.thumbnail, {}, true, 60000},
         {}},
        {"a thumbnail listed outside its block, at the preview",
         {parts.picture, 1, parts.thumbnail, {preview}, true, atPreview},
         {"0"}},
    };
    for (const Row& r : rows) {
        CameraLayout where;
        const std::vector<uint8_t> file = CameraJpeg(r.file, &where);
        std::vector<image::EmbeddedPreview> want;
        for (const std::string& part : r.found) {
            if (part == "thumbnail") {
                want.push_back({where.thumbnail, r.file.thumbnail.size()});
            } else {
                const size_t i = std::stoul(part);
                want.push_back({where.appended[i], r.file.appended[i].jpeg.size()});
            }
        }
        const std::vector<image::EmbeddedPreview> got =
            image::FindEmbeddedPreviews(file.data(), file.size(), file.size());
        ASSERT_EQ(got.size(), want.size()) << r.what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].offset, want[i].offset) << r.what << ", preview " << i;
            EXPECT_EQ(got[i].length, want[i].length) << r.what << ", preview " << i;
        }
    }
}

// An independent reader of EXIF and MPF blocks (exiftool, when installed)
// finds the same thumbnail and preview in the test files as we do, in both
// byte orders: the files are laid out as cameras lay them out.
TEST(EmbeddedPreviews, ExiftoolFindsTheSamePreviewsInTheTestFiles) {
    if (std::system("exiftool -ver > /dev/null 2>&1") != 0) GTEST_SKIP() << "no exiftool";
    TempDir dir;
    const Parts parts(6);
    for (const bool big : {true, false}) {
        const std::vector<uint8_t> file =
            CameraJpeg({parts.picture, 6, parts.thumbnail, {{parts.preview}}, big});
        ASSERT_TRUE(test::WriteFileBytes(dir / "camera.jpg", file));
        const std::vector<image::EmbeddedPreview> found =
            image::FindEmbeddedPreviews(file.data(), file.size(), file.size());
        ASSERT_EQ(found.size(), 2u);
        const char* tags[2] = {"ThumbnailImage", "PreviewImage"};  // the shorter first
        for (int i = 0; i < 2; ++i) {
            const std::string command = std::string("exiftool -b -") + tags[i] + " '" +
                                        (dir / "camera.jpg") + "' > '" + (dir / "out.jpg") + "'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            const auto begin = file.begin() + long(found[size_t(i)].offset);
            EXPECT_TRUE(test::ReadFileBytes(dir / "out.jpg") ==
                        std::vector<uint8_t>(begin, begin + long(found[size_t(i)].length)))
                << tags[i] << (big ? ", big-endian" : ", little-endian");
        }
    }
}

// Only what the header read so far holds is looked at: a preview after it
// is found, one listed in a block not yet read whole is not, and nothing
// lies beyond the file.
TEST(EmbeddedPreviews, FromTheHeaderReadSoFarAndWithinTheFile) {
    const Parts parts(1);
    CameraLayout where;
    const std::vector<uint8_t> file =
        CameraJpeg({parts.picture, 1, parts.thumbnail, {{parts.preview}}}, &where);
    const image::EmbeddedPreview thumbnail{where.thumbnail, parts.thumbnail.size()};
    const image::EmbeddedPreview preview{where.appended[0], parts.preview.size()};
    const struct {
        const char* what;
        size_t head, size;
        std::vector<image::EmbeddedPreview> found;
    } rows[] = {
        {"the whole file", file.size(), file.size(), {thumbnail, preview}},
        {"the header and the picture", where.appended[0], file.size(), {thumbnail, preview}},
        {"cut inside the EXIF block", 100, file.size(), {}},
        {"the file cut before the preview ends", file.size() - 100, file.size() - 100, {thumbnail}},
        {"cut inside the start marker", 1, file.size(), {}},
    };
    for (const auto& r : rows) {
        const std::vector<image::EmbeddedPreview> got =
            image::FindEmbeddedPreviews(file.data(), r.head, r.size);
        ASSERT_EQ(got.size(), r.found.size()) << r.what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].offset, r.found[i].offset) << r.what;
            EXPECT_EQ(got[i].length, r.found[i].length) << r.what;
        }
    }
    const std::string gif = "GIF89a, then anything at all";
    EXPECT_TRUE(image::FindEmbeddedPreviews(reinterpret_cast<const uint8_t*>(gif.data()),
                                            gif.size(), gif.size())
                    .empty());
    EXPECT_TRUE(image::FindEmbeddedPreviews(nullptr, 0, 0).empty());
}

TEST(EmbeddedPreviews, SuitOnlyUnderAMinimumAtLeastThatLargeAndOfThePictureShape) {
    const struct {
        const char* what;
        image::DecodePlan plan;
        int pictureW, pictureH, previewW, previewH;
        bool suits;
    } rows[] = {
        {"large enough", {200, 134, 100, 67}, 1200, 800, 480, 320, true},
        {"exactly the minimum", {480, 320, 0, 0}, 1200, 800, 480, 320, true},
        {"too narrow", {481, 100, 0, 0}, 1200, 800, 480, 320, false},
        {"too low", {100, 321, 0, 0}, 1200, 800, 480, 320, false},
        {"no minimum: no draft decoding", {0, 0, 100, 67}, 1200, 800, 480, 320, false},
        {"the picture's own size", {200, 134, 0, 0}, 480, 320, 480, 320, false},
        {"larger than the picture", {200, 134, 0, 0}, 400, 300, 480, 320, false},
        {"4:3 for a 3:2 picture (a letterboxed thumbnail)",
         {60, 40, 0, 0},
         1200,
         800,
         160,
         120,
         false},
        {"a pixel's rounding", {20, 10, 0, 0}, 100, 67, 30, 21, true},
        {"two pixels off", {20, 10, 0, 0}, 100, 67, 30, 22, true},
        {"three pixels off", {20, 10, 0, 0}, 100, 67, 30, 23, false},
        {"heif-enc's even rounding, 1.1% off", {200, 112, 0, 0}, 5640, 3172, 320, 178, true},
        {"upright: two pixels of its width off", {20, 10, 0, 0}, 67, 100, 22, 30, true},
        {"upright: three pixels off", {20, 10, 0, 0}, 67, 100, 23, 30, false},
        {"just within 1%", {60, 40, 0, 0}, 1200, 800, 480, 323, true},
        {"just beyond 1%", {60, 40, 0, 0}, 1200, 800, 480, 324, false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(image::PreviewSuits(r.plan, r.pictureW, r.pictureH, r.previewW, r.previewH),
                  r.suits)
            << r.what;
}

// What a plan asks of previews: nothing (the picture itself), what the
// engine asks by default (the preview size, twice w x h, but no minimum),
// or what it asks under /fast (that size as the minimum too).
enum class Ask { Picture, Default, Draft };

// Decodes under a plan that asks `ask` and, when `reduce`, for the box
// reduction to w x h; records the rows decoded, then
// makes the w x h thumbnail as the engine does (resizes what was decoded,
// by box or, without the reduction in the plan, bilinear).
struct Decoded {
    image::ErrorCode code = image::ErrNone;
    image::DecodeInfo info;
    int width = 0, height = 0;  // as decoded
    std::vector<uint8_t> pixels;
    int rowsDecoded = 0;  // of the last decode (the one delivered)
    int thumbWidth = 0, thumbHeight = 0;
    std::vector<uint8_t> thumbnail;
};

Decoded DecodeFor(const std::string& path, int w, int h, bool reduce, Ask ask = Ask::Draft,
                  int cancelAtRow = -1, bool colours = false) {
    image::DecodeHints hints;
    hints.readOrientation = true;
    if (colours) hints.convertProfiles = image::ProfileConversion::All;
    hints.plan = [=](int, int) {
        const bool draft = ask == Ask::Draft, previews = ask != Ask::Picture;
        return image::DecodePlan{draft ? 2 * w : 0, draft ? 2 * h : 0,    reduce ? w : 0,
                                 reduce ? h : 0,    previews ? 2 * w : 0, previews ? 2 * h : 0};
    };
    image::CPxImage image;  // sets a callback of its own
    test::ProgressRecorder progress(cancelAtRow);
    Decoded d;
    d.code = image.Load(path, hints, &d.info);
    d.width = image.width();
    d.height = image.height();
    d.rowsDecoded = progress.lastTotal;
    if (image.empty()) return d;
    d.pixels.assign(image.data(), image.data() + size_t{3} * d.width * d.height);
    if (!d.info.reduced &&
        image.Resize(w, h,
                     reduce ? processing::ResampleBoxKind : processing::ResampleBilinearKind) !=
            image::ErrNone)
        return d;
    d.thumbWidth = image.width();
    d.thumbHeight = image.height();
    d.thumbnail.assign(image.data(), image.data() + size_t{3} * d.thumbWidth * d.thumbHeight);
    return d;
}

// The mean and largest difference of two pictures of one size.
std::pair<double, int> Difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    long long sum = 0;
    int most = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const int d = std::abs(int(a[i]) - int(b[i]));
        sum += d;
        most = std::max(most, d);
    }
    return {a.empty() ? 0.0 : double(sum) / double(a.size()), most};
}

// The test files of one orientation: the camera's file, and each part alone
// with the same EXIF orientation (what a preview that stands in must give).
class PreviewFiles {
public:
    PreviewFiles(int orientation, CameraFile camera) {
        const Parts parts(orientation);
        if (camera.picture.empty()) camera.picture = parts.picture;
        camera.orientation = orientation;
        test::WriteFileBytes(Path("camera"), CameraJpeg(camera));
        test::WriteFileBytes(Path("picture"), CameraJpeg({parts.picture, orientation}));
        test::WriteFileBytes(Path("thumbnail"), CameraJpeg({parts.thumbnail, orientation}));
        test::WriteFileBytes(Path("preview"), CameraJpeg({parts.preview, orientation}));
    }
    std::string Path(const std::string& part) const { return dir_ / (part + ".jpg"); }

private:
    TempDir dir_;
};

CameraFile Complete(int orientation) {
    const Parts parts(orientation);
    return {parts.picture, orientation, parts.thumbnail, {{parts.preview}}};
}

// What a preview gives, against the picture's own draft decode, both
// reduced to the thumbnail: they are made from one scene, so they differ by
// the JPEG losses of both and their reductions only (measured: a mean of
// 0.5 to 1.1 levels, at most 26 on the hard edge of the scene's ring).
constexpr double kMeanTolerance = 1.5;
constexpr int kLargestTolerance = 40;

TEST(PreviewDecoding, TheSmallestPreviewLargeEnoughStandsInUprightWithThePictureSize) {
    const struct {
        int orientation, w, h;  // the thumbnail, upright
        bool reduce;            // the plan reduces (else the caller resizes)
        const char* standsIn;
    } rows[] = {
        {1, 60, 40, true, "thumbnail"},   // 120 x 80 wanted: the thumbnail has it
        {6, 60, 40, true, "thumbnail"},   // on its side
        {1, 75, 50, true, "thumbnail"},   // exactly the thumbnail's size wanted
        {1, 76, 50, true, "preview"},     // a pixel more: the preview
        {1, 100, 67, true, "preview"},    //
        {3, 100, 67, true, "preview"},    //
        {8, 100, 67, true, "preview"},    //
        {5, 100, 67, false, "preview"},   // resized by the caller
        {1, 240, 160, true, "preview"},   // the preview's own size
        {1, 300, 200, true, "picture"},   // no preview is large enough
        {7, 300, 200, false, "picture"},  //
    };
    for (const auto& r : rows) {
        const std::string what = "orientation " + std::to_string(r.orientation) + ", " +
                                 std::to_string(r.w) + " x " + std::to_string(r.h) +
                                 (r.reduce ? "" : ", no reduction");
        const PreviewFiles files(r.orientation, Complete(r.orientation));
        const Decoded got = DecodeFor(files.Path("camera"), r.w, r.h, r.reduce);
        const Decoded want = DecodeFor(files.Path(r.standsIn), r.w, r.h, r.reduce);
        const Decoded picture = DecodeFor(files.Path("picture"), r.w, r.h, r.reduce);
        ASSERT_EQ(got.code, image::ErrNone) << what;
        EXPECT_EQ(got.rowsDecoded, want.rowsDecoded) << what << ": " << r.standsIn;
        EXPECT_TRUE(got.pixels == want.pixels) << what << ": " << r.standsIn;
        // The picture's size, upright, whatever was decoded.
        EXPECT_EQ(got.info.fullWidth, 1200) << what;
        EXPECT_EQ(got.info.fullHeight, 800) << what;
        EXPECT_EQ(got.info.orientation, r.orientation) << what;
        // The thumbnail the picture itself gives, in size and nearly in pixels.
        ASSERT_EQ(std::make_pair(got.thumbWidth, got.thumbHeight), std::make_pair(r.w, r.h))
            << what;
        ASSERT_EQ(std::make_pair(picture.thumbWidth, picture.thumbHeight), std::make_pair(r.w, r.h))
            << what;
        const auto [mean, largest] = Difference(got.thumbnail, picture.thumbnail);
        EXPECT_LE(mean, kMeanTolerance) << what;
        EXPECT_LE(largest, kLargestTolerance) << what;
    }
}

TEST(PreviewDecoding, APreviewThatCannotBeUsedLeavesThePictureAsItWas) {
    const Parts parts(6);
    std::vector<uint8_t> cut = parts.preview, cutThumbnail = parts.thumbnail;
    cut.resize(cut.size() / 2);
    cutThumbnail.resize(cutThumbnail.size() / 2);
    std::vector<uint8_t> garbage = parts.preview;
    for (size_t i = 3; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37);
    const std::vector<uint8_t> square = SceneJpeg(400, 400, 6);
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0};
    const struct {
        const char* what;
        std::vector<Appended> appended;
        std::vector<uint8_t> thumbnail;
        const char* standsIn;
    } rows[] = {
        {"preview cut short", {{cut}}, {}, "picture"},
        {"preview listed shorter than it is",
         {{parts.preview, Appended::kPreview, {}, uint32_t(parts.preview.size() - 200)}},
         {},
         "picture"},
        {"preview listed beyond the file",
         {{parts.preview, Appended::kPreview, 0x7FFFFFF0}},
         {},
         "picture"},
        {"a JPEG start, then no JPEG", {{garbage}}, {}, "picture"},
        {"appended bytes that are no JPEG", {{png}}, {}, "picture"},
        {"a preview listed where no JPEG starts (the index itself)",
         {{parts.preview, Appended::kPreview, 8}},
         {},
         "picture"},
        {"a preview of another shape", {{square}}, {}, "picture"},
        {"a gain map, not a preview", {{parts.preview, 0x00000000}}, {}, "picture"},
        {"thumbnail cut short: the preview instead", {{parts.preview}}, cutThumbnail, "preview"},
    };
    static int messages = 0;
    image::jpeg::SetCodecMessageSink([](const char*, const char*) { ++messages; });
    for (const auto& r : rows) {
        const PreviewFiles files(6, {{}, 0, r.thumbnail, r.appended});
        // The thumbnail's cut is made at 60 x 40 (the thumbnail would do);
        // the preview's at 100 x 67 (only the preview would).
        const int w = r.thumbnail.empty() ? 100 : 60, h = r.thumbnail.empty() ? 67 : 40;
        const Decoded want = DecodeFor(files.Path(r.standsIn), w, h, true);
        messages = 0;
        image::jpeg::SetShowCodecMessages(true);
        const Decoded got = DecodeFor(files.Path("camera"), w, h, true);
        image::jpeg::SetShowCodecMessages(false);
        EXPECT_EQ(got.code, image::ErrNone) << r.what;
        EXPECT_EQ(messages, 0) << r.what << ": a preview given up says nothing";
        EXPECT_EQ(got.rowsDecoded, want.rowsDecoded) << r.what;
        EXPECT_TRUE(got.pixels == want.pixels) << r.what;
        EXPECT_EQ(got.info.fullWidth, 1200) << r.what;
        EXPECT_EQ(got.info.fullHeight, 800) << r.what;
    }
    image::jpeg::SetCodecMessageSink(nullptr);
}

// Without a minimum size (no draft decoding) a JPEG's previews are not even
// looked at, though the plan names the preview size as the engine's always
// does: the picture comes out byte for byte as without them.
TEST(PreviewDecoding, NoMinimumSizeMeansThePictureItself) {
    for (const int orientation : {1, 6}) {
        const PreviewFiles files(orientation, Complete(orientation));
        for (const bool reduce : {true, false}) {
            const Decoded got = DecodeFor(files.Path("camera"), 100, 67, reduce, Ask::Default);
            const Decoded want = DecodeFor(files.Path("picture"), 100, 67, reduce, Ask::Default);
            EXPECT_EQ(got.code, image::ErrNone);
            EXPECT_EQ(got.rowsDecoded, want.rowsDecoded);
            EXPECT_TRUE(got.pixels == want.pixels) << "orientation " << orientation;
        }
        int w = 0, h = 0, pw = 0, ph = 0;
        const image::PixelBlock plain = image::jpeg::Read(files.Path("camera"), &w, &h);
        const image::PixelBlock picture = image::jpeg::Read(files.Path("picture"), &pw, &ph);
        ASSERT_FALSE(plain.empty());
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(pw, ph));
        EXPECT_TRUE(std::equal(plain.data(), plain.data() + plain.size(), picture.data()));
    }
}

// A file is read as far as its decode needs it (its first 256 KB, then
// the rest or only a preview): a header longer than the first read
// (comments before the picture's segments) is read on, and a preview that
// lies beyond it (after 512 KB of something else the index lists) is read
// where it lies. Either way the preview stands in under a minimum, and
// the picture itself, read to its end, is the same as without those bytes.
TEST(PreviewDecoding, AFileIsReadAsFarAsItsDecodeNeeds) {
    const Parts parts(6);
    const std::vector<uint8_t> padding(512 << 10, 0xA5);
    const PreviewFiles beyond(6, {parts.picture, 6, {}, {{padding, 0x00000000}, {parts.preview}}});
    const PreviewFiles files(6, Complete(6));
    std::vector<uint8_t> bytes = test::ReadFileBytes(files.Path("camera"));
    std::vector<uint8_t> comments;
    for (int i = 0; i < 8; ++i) {  // 8 x 64 KB, after the start marker
        comments.insert(comments.end(), {0xFF, 0xFE, 0xFF, 0xFF});
        comments.resize(comments.size() + 0xFFFD, uint8_t('a' + i));
    }
    bytes.insert(bytes.begin() + 2, comments.begin(), comments.end());
    TempDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir / "long.jpg", bytes));
    const Decoded preview = DecodeFor(files.Path("preview"), 100, 67, true);
    const Decoded picture = DecodeFor(files.Path("picture"), 100, 67, false, Ask::Default);
    for (const std::string& path : {dir / "long.jpg", beyond.Path("camera")}) {
        const Decoded got = DecodeFor(path, 100, 67, true);
        EXPECT_EQ(got.code, image::ErrNone) << path;
        EXPECT_EQ(got.rowsDecoded, preview.rowsDecoded) << path;
        EXPECT_TRUE(got.pixels == preview.pixels) << path;
        const Decoded whole = DecodeFor(path, 100, 67, false, Ask::Default);
        EXPECT_EQ(whole.code, image::ErrNone) << path;
        EXPECT_EQ(std::make_pair(whole.width, whole.height), std::make_pair(1200, 800)) << path;
        EXPECT_TRUE(whole.pixels == picture.pixels) << path;
    }
}

// The picture's ICC profile converts the preview's pixels as it converts
// the picture's: a camera stores the profile with the picture only.
TEST(PreviewDecoding, ThePicturesColourProfileConvertsThePreview) {
    // Red and blue primaries swapped: far from sRGB, so that a preview left
    // unconverted shows.
    static const double kSwapped[6] = {0.150, 0.060, 0.300, 0.600, 0.640, 0.330};
    const std::vector<uint8_t> profile = test::RgbProfile(kSwapped);
    // One APP2 segment: the tag, piece 1 of 1, the profile.
    const char head[] = "\xFF\xE2..ICC_PROFILE\0\1\1";  // 18 bytes before its own zero
    std::vector<uint8_t> segment(18 + profile.size());
    std::copy(head, head + 18, segment.begin());
    std::copy(profile.begin(), profile.end(), segment.begin() + 18);
    segment[2] = uint8_t((segment.size() - 2) >> 8);
    segment[3] = uint8_t(segment.size() - 2);
    const auto withProfile = [&](const std::string& path) {
        std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        bytes.insert(bytes.begin() + 2, segment.begin(), segment.end());
        return test::WriteFileBytes(path, bytes);
    };
    const PreviewFiles files(1, Complete(1));
    ASSERT_TRUE(withProfile(files.Path("camera")));
    ASSERT_TRUE(withProfile(files.Path("picture")));
    const Decoded got = DecodeFor(files.Path("camera"), 100, 67, true, Ask::Draft, -1, true);
    const Decoded preview = DecodeFor(files.Path("preview"), 100, 67, true);
    const Decoded picture = DecodeFor(files.Path("picture"), 100, 67, true, Ask::Draft, -1, true);
    ASSERT_EQ(got.code, image::ErrNone);
    EXPECT_EQ(got.rowsDecoded, preview.rowsDecoded) << "the preview decoded";
    EXPECT_EQ(got.info.profile, image::ProfileOutcome::Converted);
    const auto [mean, largest] = Difference(got.pixels, picture.pixels);
    EXPECT_LE(mean, kMeanTolerance);
    EXPECT_LE(largest, kLargestTolerance);
    EXPECT_GT(Difference(preview.pixels, picture.pixels).first, 10.0) << "the profile matters";
}

// A stop while the preview is decoded ends the read: the picture is not
// decoded after it.
TEST(PreviewDecoding, AStopDuringThePreviewEndsTheRead) {
    const PreviewFiles files(1, Complete(1));
    const Decoded got = DecodeFor(files.Path("camera"), 100, 67, true, Ask::Draft, 5);
    const Decoded preview = DecodeFor(files.Path("preview"), 100, 67, true);
    EXPECT_EQ(got.code, image::ErrCancelled);
    EXPECT_EQ(got.rowsDecoded, preview.rowsDecoded) << "only the preview's rows";
    EXPECT_TRUE(got.pixels.empty());
}

// HEIC files as phones store them: a 480 x 320 picture with a 120 x 80
// thumbnail (heif-enc -t 120), made at test time.
class HeifFiles {
public:
    HeifFiles() {
        test::Samples scene{480, 320, 3, 8, {}};
        for (int y = 0; y < scene.height; ++y) {
            for (int x = 0; x < scene.width; ++x) {
                uint8_t rgb[3];
                test::SceneColour((x + 0.5) / scene.width, (y + 0.5) / scene.height, rgb);
                scene.values.insert(scene.values.end(), rgb, rgb + 3);
            }
        }
        ok_ = test::EncodePicture(Path(), scene, {"heif-enc", "-q", "90", "-t", "120"});
    }
    bool ok() const { return ok_; }
    std::string Path() const { return dir_ / "phone.heic"; }

private:
    TempDir dir_;
    bool ok_ = false;
};

// The thumbnail stands in under a minimum it reaches (the smallest that
// does), and by default under the preview size when it reaches that: the
// picture's size in the info, the thumbnail's rows decoded, the size the
// picture gives and nearly its pixels. Under a size it does not reach, or
// a plan without either, the picture itself is decoded.
TEST(HeifThumbnails, StandInOnlyUnderAMinimumTheyReach) {
    VIG_SKIP_WITHOUT("heif-enc");
    const HeifFiles files;
    ASSERT_TRUE(files.ok());
    // The picture itself, reduced: a minimum no thumbnail reaches.
    const auto picture = [&](int w, int h) {
        image::DecodeHints hints;
        hints.plan = [=](int, int) { return image::DecodePlan{480, 320, w, h}; };
        image::CPxImage image;
        test::ProgressRecorder progress;
        image::DecodeInfo info;
        EXPECT_EQ(image.Load(files.Path(), hints, &info), image::ErrNone);
        EXPECT_EQ(progress.lastTotal, 320);
        return std::vector<uint8_t>(image.data(), image.data() + size_t{3} * w * h);
    };
    const struct {
        int w, h;
        Ask ask;
        int rows;  // decoded: 80 the thumbnail's, 320 the picture's
    } rows[] = {
        {50, 33, Ask::Draft, 80},   {60, 40, Ask::Draft, 80},   {61, 40, Ask::Draft, 320},
        {50, 33, Ask::Default, 80}, {60, 40, Ask::Default, 80}, {60, 41, Ask::Default, 320},
        {50, 33, Ask::Picture, 320},
    };
    for (const auto& r : rows) {
        const std::string what =
            std::to_string(r.w) + " x " + std::to_string(r.h) +
            (r.ask == Ask::Draft     ? ", at least twice that"
             : r.ask == Ask::Default ? ", previews twice that"
                                     : ", no previews");
        const Decoded got = DecodeFor(files.Path(), r.w, r.h, true, r.ask);
        ASSERT_EQ(got.code, image::ErrNone) << what;
        EXPECT_EQ(got.rowsDecoded, r.rows) << what;
        EXPECT_EQ(std::make_pair(got.info.fullWidth, got.info.fullHeight), std::make_pair(480, 320))
            << what;
        ASSERT_EQ(std::make_pair(got.width, got.height), std::make_pair(r.w, r.h)) << what;
        const std::vector<uint8_t> want = picture(r.w, r.h);
        if (r.rows == 320) {
            EXPECT_TRUE(got.pixels == want) << what;
            continue;
        }
        // The thumbnail is heif-enc's own reduction, coarser than a box
        // (measured: a mean of 0.7 to 1.6 levels, at most 32).
        const auto [mean, largest] = Difference(got.pixels, want);
        EXPECT_LE(mean, 2.5) << what;
        EXPECT_LE(largest, 48) << what;
    }
}

// The n-th box of a type in a HEIF file's bytes (heif-enc writes the
// picture's properties before its thumbnail's); where its content starts.
size_t BoxContent(const std::vector<uint8_t>& bytes, const char* type, int n) {
    for (size_t at = 4; at + 4 <= bytes.size(); ++at)
        if (std::equal(type, type + 4, bytes.begin() + long(at)) && n-- == 0) return at + 4;
    return 0;
}

// A thumbnail that cannot be decoded as the file declares it gives way to
// the picture, without an error: one whose size (ispe) is not that of its
// data, one whose decoder setup (hvcC) is gone. The picture itself is as
// before.
TEST(HeifThumbnails, AThumbnailThatFailsGivesWayToThePicture) {
    VIG_SKIP_WITHOUT("heif-enc");
    const HeifFiles files;
    ASSERT_TRUE(files.ok());
    const std::vector<uint8_t> bytes = test::ReadFileBytes(files.Path());
    const Decoded picture = DecodeFor(files.Path(), 50, 33, true, Ask::Picture);
    const struct {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    } rows[] = {
        {"declared 121 pixels wide",
         [](std::vector<uint8_t>& b) {
             const size_t at = BoxContent(b, "ispe", 1);  // version, flags, width, height
             ASSERT_GT(at, 0u);
             ASSERT_EQ(b[at + 7], 120);
             b[at + 7] = 121;
         }},
        {"no decoder setup",
         [](std::vector<uint8_t>& b) {
             const size_t at = BoxContent(b, "hvcC", 1);
             ASSERT_GT(at, 0u);
             const size_t size = size_t(b[at - 8]) << 24 | size_t(b[at - 7]) << 16 |
                                 size_t(b[at - 6]) << 8 | b[at - 5];
             std::fill(b.begin() + long(at), b.begin() + long(at - 8 + size), uint8_t{0});
         }},
    };
    for (const auto& r : rows) {
        std::vector<uint8_t> damaged = bytes;
        r.damage(damaged);
        TempDir dir;
        ASSERT_TRUE(test::WriteFileBytes(dir / "d.heic", damaged));
        // Only the thumbnail is damaged: without previews, the same picture.
        const Decoded whole = DecodeFor(dir / "d.heic", 50, 33, true, Ask::Picture);
        ASSERT_EQ(whole.code, image::ErrNone) << r.what;
        ASSERT_TRUE(whole.pixels == picture.pixels) << r.what;
        for (const Ask ask : {Ask::Draft, Ask::Default}) {
            const Decoded got = DecodeFor(dir / "d.heic", 50, 33, true, ask);
            EXPECT_EQ(got.code, image::ErrNone) << r.what;
            EXPECT_EQ(got.rowsDecoded, 320) << r.what;
            EXPECT_TRUE(got.pixels == picture.pixels) << r.what;
        }
    }
}

}  // namespace
}  // namespace vig
