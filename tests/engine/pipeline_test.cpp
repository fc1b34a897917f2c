// The per-file pipeline, the overlay loader and single-file operation, on
// real images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "engine/batch_engine.h"
#include "engine/file_steps.h"
#include "engine_test_util.h"
#include "support/colour_profiles.h"
#include "support/exif_jpeg.h"
#include "support/recording_host.h"
#include "support/tagged_pictures.h"

namespace vig {
namespace {

using test::FileExists;
using test::ImageSize;
using test::RecordingHost;
using test::TempDir;
using Steps = std::vector<std::string>;

// The step at whose pump the fake Cancel button is pressed.
std::string gStopAtStep;
void StopAtStep(RecordingHost& h) {
    if (!h.steps.empty() && h.steps.back() == gStopAtStep) h.stop = true;
}

bool HasStep(const RecordingHost& h, const std::string& step) {
    return std::count(h.steps.begin(), h.steps.end(), step) > 0;
}

int TempFilesIn(const std::string& folder) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().find(".tmp") != std::string::npos) ++n;
    return n;
}

class PipelineTest : public ::testing::Test {
protected:
    PipelineTest() {
        o.MainWidth = 10;
        o.MainHeight = 10;
        o.MainResizeMethod = options::BestFit;
        o.MainOutputFormat = options::FormatBmp24;
        in = src / "a.bmp";
        test::WriteBmp(in, 40, 20);
    }
    image::ErrorCode Process(const std::string& output, std::FILE* log = nullptr) {
        engine::BatchEngine engine(o, host);
        return engine.ProcessFile(in, output, nullptr, "shown/a.bmp", log, nullptr, "", nullptr);
    }
    std::string WithLog(const std::string& output, image::ErrorCode* code) {
        const std::string logPath = out / "log.txt";
        std::FILE* log = std::fopen(logPath.c_str(), "w");
        *code = Process(output, log);
        std::fclose(log);
        return test::ReadFileText(logPath);
    }

    TempDir src, out;
    std::string in;
    options::BatchOptions o;
    RecordingHost host;
};

TEST_F(PipelineTest, ReadsResizesAndSavesWithItsStatusTexts) {
    ASSERT_EQ(Process(out / "a.bmp"), image::ErrNone);
    EXPECT_EQ(ImageSize(out / "a.bmp"), std::make_pair(10, 5));
    EXPECT_EQ(host.steps, (Steps{"Reading", "Resizing", "Saving"}));
    EXPECT_EQ(host.details, (Steps{"shown/a.bmp", out / "a.bmp"}));
    EXPECT_EQ(host.pumps, 5) << "every status text pumps";
    EXPECT_EQ(host.lastPumpMs, 200);
    EXPECT_EQ(TempFilesIn(out.path()), 0);
}

TEST_F(PipelineTest, MatteOnlyForBestFitAndFixedWidthOrHeight) {
    o.ImageMatte = 1;
    for (int method = 0; method <= 6; ++method) {
        host = RecordingHost();
        o.MainResizeMethod = method;
        o.MainWidth = method >= 5 ? 50 : 10;
        ASSERT_EQ(Process(out / "m.bmp"), image::ErrNone) << method;
        EXPECT_EQ(HasStep(host, "Matting"), method >= 1 && method <= 3) << method;
    }
    o.MainResizeMethod = options::BestFit;
    o.MainWidth = 10;
    ASSERT_EQ(Process(out / "m.bmp"), image::ErrNone);
    EXPECT_EQ(ImageSize(out / "m.bmp"), std::make_pair(10, 10)) << "matted to the box";
}

TEST_F(PipelineTest, StopRequestBetweenStepsSavesNothingAndSaysSo) {
    o.ImageSharpen = 1;
    o.ImageEnhanceType = options::RaiseContrast;
    o.ImageMatte = 1;
    ASSERT_EQ(Process(out / "a.bmp"), image::ErrNone);
    EXPECT_EQ(host.steps, (Steps{"Reading", "Resizing", "Sharpen", "Matting", "Saving"}));
    for (const char* step : {"Reading", "Resizing", "Sharpen", "Matting"}) {
        host = RecordingHost();
        gStopAtStep = step;
        host.onPump = StopAtStep;
        const std::string target = out / (std::string(step) + ".bmp");
        ASSERT_EQ(Process(target), image::ErrCancelled) << step;
        EXPECT_FALSE(FileExists(target)) << step;
        EXPECT_EQ(host.steps.back(), step) << "nothing runs after the stop";
    }
    // Stopped after the last step: no output line, no file; a file is saved
    // with its entries or not at all.
    host = RecordingHost();
    host.onPump = StopAtStep;
    o.LogOutName = 1;
    image::ErrorCode code = -1;
    EXPECT_EQ(WithLog(out / "late.bmp", &code), "");
    EXPECT_EQ(code, image::ErrCancelled);
    EXPECT_FALSE(FileExists(out / "late.bmp"));
}

TEST_F(PipelineTest, LogLinesInOrderAndAFailedLoadKeepsTheInputLine) {
    o.LogInputName = 1;
    o.LogOutName = 1;
    o.LogOutputDims = 1;
    image::ErrorCode code = -1;
    EXPECT_EQ(WithLog(out / "a.bmp", &code),
              "Input   : shown/a.bmp  Output  : " + (out / "a.bmp") + "  ( 10 x 5 )\n");
    EXPECT_EQ(code, image::ErrNone);

    test::MakeFile(in, "BM but not really");
    o.LogInputDims = 1;
    host = RecordingHost();
    EXPECT_EQ(WithLog(out / "b.bmp", &code), "Input   : shown/a.bmp  ( 0 x 0 )\n");
    EXPECT_NE(code, image::ErrNone);
    EXPECT_FALSE(FileExists(out / "b.bmp"));
    EXPECT_EQ(host.steps, (Steps{"Reading"}));
}

TEST_F(PipelineTest, MissingUserCurveIsReportedForEachFileAndProcessingGoesOn) {
    o.ImageEnhanceType = options::UserLut;
    o.ImageUserLUTPath = src / "curve.txt";
    ASSERT_EQ(Process(out / "a.bmp"), image::ErrNone);
    ASSERT_EQ(Process(out / "b.bmp"), image::ErrNone);
    const std::string report =
        "Error : Unable to open file\nFile : " + o.ImageUserLUTPath + "\nContext : Load user LUT";
    EXPECT_EQ(host.reports, (Steps{report, report}));
    EXPECT_EQ(host.cancelOffered, (std::vector<bool>{false, false}));
    EXPECT_TRUE(FileExists(out / "b.bmp"));
}

// A colour profile is converted only with ImageColourManage; one that
// cannot be used is a warning, not a report, and the file is still made, as
// if it had no profile.
TEST_F(PipelineTest, ColourProfilesConvertWhenAskedAndOnesThatCannotBeUsedAreWarnings) {
    o.MainWidth = o.MainHeight = 32;
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    const std::vector<uint8_t> rgb = test::Patches({{200, 60, 50}, {60, 170, 80}}, 32);
    const struct {
        const char* name;
        test::TaggedFormat format;
        std::vector<uint8_t> profile;
        const char* warning;  // with ImageColourManage
    } cases[] = {
        {"p3.jpg", test::TaggedFormat::Jpeg, p3, nullptr},
        {"p3.tif", test::TaggedFormat::Tiff, p3, nullptr},
        {"cut.jpg", test::TaggedFormat::Jpeg, test::Truncated(p3, 200),
         "Colour profile ignored: it could not be read"},
        {"gray.tif", test::TaggedFormat::Tiff, test::GrayProfile(),
         "Colour profile ignored: it is not a profile of RGB colours"},
    };
    for (const auto& c : cases) {
        const std::string tagged = src / c.name;
        ASSERT_TRUE(test::WriteTagged(c.format, tagged, rgb, 64, 32, c.profile));
        const std::string plain = src / (std::string("plain") + test::ExtensionOf(c.format));
        ASSERT_TRUE(test::WriteTagged(c.format, plain, rgb, 64, 32, {}));
        for (const bool withWindow : {true, false}) {
            for (const int manage : {0, 1}) {
                SCOPED_TRACE(std::string(c.name) + (withWindow ? " window" : " headless") +
                             " manage " + std::to_string(manage));
                o.ImageColourManage = manage;
                host = RecordingHost(withWindow);
                in = plain;
                ASSERT_EQ(Process(out / "plain.bmp"), image::ErrNone);
                in = tagged;
                ASSERT_EQ(Process(out / "t.bmp"), image::ErrNone);
                const bool converted = manage == 1 && c.warning == nullptr;
                EXPECT_EQ(
                    test::ReadFileBytes(out / "t.bmp") == test::ReadFileBytes(out / "plain.bmp"),
                    !converted);
                const Steps warnings =
                    manage == 1 && c.warning != nullptr
                        ? Steps{std::string("shown/a.bmp: ") + c.warning}
                        : Steps{};
                EXPECT_EQ(host.warnings, warnings);
                EXPECT_TRUE(host.reports.empty());
                EXPECT_TRUE(host.silentReports.empty());
            }
        }
    }
}

TEST_F(PipelineTest, SavesReplaceTheTargetOnlyWhenTheySucceed) {
    // An existing thumbnail is replaced whole; "same as input" keeps BMP.
    test::MakeFile(out / "a.BMP", "old");
    o.MainOutputFormat = options::FormatSame24;
    ASSERT_EQ(Process(out / "a.BMP"), image::ErrNone);
    EXPECT_EQ(ImageSize(out / "a.BMP"), std::make_pair(10, 5));
    // A target that cannot be replaced (a folder) fails and is left alone.
    test::MakeFolder(out / "dir.bmp");
    test::MakeFile(out / "dir.bmp/keep", "keep");
    EXPECT_EQ(Process(out / "dir.bmp"), image::ErrWriteFile);
    EXPECT_EQ(test::ReadFileText(out / "dir.bmp/keep"), "keep");
    // A folder that does not exist cannot take the file.
    EXPECT_EQ(Process(out / "none/a.bmp"), image::ErrOpenFile);
    // A format without a writer writes nothing.
    o.MainOutputFormat = 0;
    EXPECT_EQ(Process(out / "nothing.bmp"), image::ErrNone);
    EXPECT_FALSE(FileExists(out / "nothing.bmp"));
    EXPECT_EQ(TempFilesIn(out.path()), 0);
}

TEST_F(PipelineTest, OverlayLoaderTurnsAndPosterizesKeepingTheTransparentColour) {
    const std::string logo = src / "logo.bmp";
    // Left half near-black, right half red, bottom row blue.
    test::WriteBmp(logo, 8, 4, [](int x, int y) -> uint32_t {
        if (y == 3) return 0x00F00A0A;
        return x < 4 ? 0x00040404 : 0x000A0AF0;
    });
    o.OverlayOverlay = 1;
    o.OverlayPath = logo;
    o.OverlayRotation = 1;
    o.OverlayQuantize = 1;
    o.OverlayQuantizeColors = 3;
    o.OverlayTransColor = 0;
    engine::BatchEngine engine(o, host);
    image::CPxImage overlay;
    ASSERT_EQ(engine.LoadOverlay(overlay), image::ErrNone);
    EXPECT_EQ(overlay.width(), 4);
    EXPECT_EQ(overlay.height(), 8);
    EXPECT_EQ(host.steps, (Steps{"Loading overlay image"}));
    // Turned a quarter clockwise: the old top-left (near-black) is now top-right.
    EXPECT_EQ(overlay.GetPixel(3, 0), 0u) << "the near-black became exactly the key colour";
    EXPECT_NE(overlay.GetPixel(3, 7), 0u);

    // A logo's colours stay as stored whatever its profile says, so that
    // its transparent colour is keyed out as set.
    const std::vector<uint8_t> rgb = test::Patches({{255, 0, 255}, {40, 60, 160}}, 8);
    const std::string tagged = src / "p3-logo.png";
    ASSERT_TRUE(test::WriteTaggedPng(tagged, rgb, 16, 8, test::DisplayP3Profile()));
    o.OverlayPath = tagged;
    o.OverlayRotation = 0;
    o.OverlayQuantize = 0;
    o.ImageColourManage = 1;
    image::CPxImage asStored;
    ASSERT_EQ(engine.LoadOverlay(asStored), image::ErrNone);
    ASSERT_EQ(asStored.width(), 16);
    EXPECT_TRUE(std::equal(rgb.begin(), rgb.end(), asStored.data()));

    o.OverlayOverlay = 0;
    image::CPxImage none;
    EXPECT_EQ(engine.LoadOverlay(none), image::ErrNone);
    EXPECT_TRUE(none.empty());
}

TEST_F(PipelineTest, SingleFileOperationEndsWhenItsOverlayReportIsCancelled) {
    // Going on without the overlay, and the other reports, are checked
    // through the command line.
    o.OverlayOverlay = 1;
    o.OverlayPath = src / "missing.bmp";
    host.answerCancel = true;
    engine::BatchEngine engine(o, host);
    engine.SingleFileOperation(in, out / "one.bmp", in);
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_NE(
        host.reports[0].find("\nFile : " + o.OverlayPath +
                             "\nContext : Single File Start, Overlay Load\nSetting Overlay OFF"),
        std::string::npos);
    EXPECT_TRUE(host.cancelOffered[0]);
    EXPECT_FALSE(FileExists(out / "one.bmp"));
    EXPECT_EQ(o.OverlayOverlay, 1);
    EXPECT_FALSE(engine.running());
}

// Fast draft decoding takes a reduced scale, but never one that gives less
// than twice the thumbnail in either direction, whatever the box's shape
// and however the photo lies; it is the smallest scale that gives that. The plan is the steps' own,
// without its reduction, so the picture comes back at the scale it was decoded at.
TEST(DraftDecoding, NeverLessThanTwiceTheThumbnailEitherWay) {
    TempDir dir;
    const struct {
        int w, h;  // as stored
        int orientation, method, boxW, boxH;
    } rows[] = {
        {800, 800, 1, options::ExactSize, 50, 200},   // a tall box over a square photo
        {800, 800, 1, options::ExactSize, 200, 50},   // a wide one
        {1600, 800, 1, options::ExactSize, 200, 50},  // 2/8
        {800, 1600, 6, options::ExactSize, 50, 200},  // upright 1600 x 800
        {1600, 800, 8, options::ExactSize, 50, 200},  // upright 800 x 1600
        {1600, 800, 5, options::ExactSize, 40, 300},  // 3/8
        {1600, 800, 1, options::BestFit, 50, 200},    // thumbnail 50 x 25
        {800, 1600, 7, options::BestFit, 200, 50},    // thumbnail 100 x 50
        {800, 1600, 6, options::BestFit, 50, 200},    // thumbnail 50 x 25, at 1/8
    };
    for (const auto& r : rows) {
        const std::string what = std::to_string(r.w) + " x " + std::to_string(r.h) +
                                 ", orientation " + std::to_string(r.orientation) + ", box " +
                                 std::to_string(r.boxW) + " x " + std::to_string(r.boxH);
        const std::string path = dir / "photo.jpg";
        image::PixelBlock block;
        ASSERT_TRUE(block.AllocateRgb(r.w, r.h));
        std::fill(block.data(), block.data() + block.size(), uint8_t{90});
        image::CPxImage photo;
        photo.Adopt(std::move(block), r.w, r.h);
        ASSERT_EQ(photo.Save(path, options::FormatJpg), image::ErrNone);
        ASSERT_TRUE(test::WriteFileBytes(
            path,
            test::WithApp1(test::ReadFileBytes(path), test::ExifOrientationBlock(r.orientation))));

        options::BatchOptions o;
        o.MainResizeMethod = r.method;
        o.MainWidth = r.boxW;
        o.MainHeight = r.boxH;
        o.JPGDraftDecode = 1;
        o.ImageAutoOrient = 1;
        const bool side = r.orientation >= 5;
        const int uprightW = side ? r.h : r.w, uprightH = side ? r.w : r.h;
        unsigned thumbW = 0, thumbH = 0;
        int kind = 0;
        engine::ComputeOutputSize(o, unsigned(uprightW), unsigned(uprightH), &thumbW, &thumbH,
                                  &kind);
        image::DecodeHints hints;
        hints.readOrientation = true;
        hints.plan = [&o](int w, int h) {
            image::DecodePlan plan = engine::PlanDecoding(o, w, h);
            plan.reduceWidth = plan.reduceHeight = 0;
            return plan;
        };
        image::CPxImage image;
        image::DecodeInfo info;
        ASSERT_EQ(image.Load(path, hints, &info), image::ErrNone) << what;
        EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight),
                  std::make_pair(uprightW, uprightH))
            << what;
        EXPECT_GE(image.width(), 2 * int(thumbW)) << what;
        EXPECT_GE(image.height(), 2 * int(thumbH)) << what;
        // And no more than that: the smallest scale M/8 that gives it (sizes
        // rounded up, as libjpeg does).
        const auto scaled = [](int full, int m) { return (full * m + 7) / 8; };
        int m = 1;
        while (m < 8 &&
               (scaled(uprightW, m) < 2 * int(thumbW) || scaled(uprightH, m) < 2 * int(thumbH)))
            ++m;
        EXPECT_EQ(std::make_pair(image.width(), image.height()),
                  std::make_pair(scaled(uprightW, m), scaled(uprightH, m)))
            << what << ": at " << m << "/8, upright";
    }
}

}  // namespace
}  // namespace vig
