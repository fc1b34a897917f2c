// The per-file pipeline, the overlay loader, single-file operation and the
// composite bookkeeping of a run, on real (hand-written BMP) images.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "engine/batch_engine.h"
#include "engine_test_util.h"
#include "image/cpx_image.h"
#include "support/recording_host.h"

namespace vig {
namespace {

using test::RecordingHost;
using test::TempDir;

// The step at whose pump the fake Cancel button is pressed.
std::string gStopAtStep;
void StopAtStep(RecordingHost& h) {
    if (!h.steps.empty() && h.steps.back() == gStopAtStep) h.stop = true;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
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
        o.MainResizeMethod = BestFit;
        o.MainOutputFormat = FormatBmp24;
        in = src / "a.bmp";
        test::WriteBmp(in, 40, 20);
    }
    ErrorCode Process(const std::string& output, std::FILE* log = nullptr,
                      std::FILE* page = nullptr) {
        BatchEngine engine(o, host);
        return engine.ProcessFile(in, output, nullptr, "shown/a.bmp", log, page, "", nullptr);
    }
    std::string WithLog(const std::string& output, ErrorCode* code) {
        const std::string logPath = out / "log.txt";
        std::FILE* log = std::fopen(logPath.c_str(), "w");
        *code = Process(output, log);
        std::fclose(log);
        return test::ReadFileText(logPath);
    }

    TempDir src, out;
    std::string in;
    BatchOptions o;
    RecordingHost host;
};

TEST_F(PipelineTest, ReadsResizesAndSavesWithItsStatusTexts) {
    ASSERT_EQ(Process(out / "a.bmp"), ErrNone);
    EXPECT_EQ(test::BmpSize(out / "a.bmp"), std::make_pair(10, 5));
    EXPECT_EQ(host.steps, (std::vector<std::string>{"Reading", "Resizing", "Saving"}));
    EXPECT_EQ(host.details, (std::vector<std::string>{"shown/a.bmp", out / "a.bmp"}));
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
        ASSERT_EQ(Process(out / "m.bmp"), ErrNone) << method;
        EXPECT_EQ(Contains(host.steps, "Matting"), method >= 1 && method <= 3) << method;
    }
    o.MainResizeMethod = BestFit;
    o.MainWidth = 10;
    ASSERT_EQ(Process(out / "m.bmp"), ErrNone);
    EXPECT_EQ(test::BmpSize(out / "m.bmp"), std::make_pair(10, 10)) << "matted to the box";
}

TEST_F(PipelineTest, OptionalStepsShowTheirTextsInOrder) {
    o.ImageSharpen = 1;
    o.ImageEnhanceType = RaiseContrast;
    o.ImageMatte = 1;
    ASSERT_EQ(Process(out / "a.bmp"), ErrNone);
    EXPECT_EQ(host.steps,
              (std::vector<std::string>{"Reading", "Resizing", "Sharpen", "Matting", "Saving"}));
}

TEST_F(PipelineTest, StopRequestBetweenStepsSavesNothingAndSucceeds) {
    o.ImageSharpen = 1;
    o.ImageMatte = 1;
    for (const char* step : {"Reading", "Resizing", "Sharpen", "Matting"}) {
        host = RecordingHost();
        gStopAtStep = step;
        host.onPump = StopAtStep;
        const std::string target = out / (std::string(step) + ".bmp");
        ASSERT_EQ(Process(target), ErrNone) << step;
        EXPECT_FALSE(test::FileExists(target)) << step;
        EXPECT_FALSE(Contains(host.steps, "Saving")) << step;
    }
    // Stopped after the output line: the log already has it, the file does not exist.
    host = RecordingHost();
    gStopAtStep = "Matting";
    host.onPump = StopAtStep;
    o.LogOutName = 1;
    ErrorCode code = -1;
    const std::string log = WithLog(out / "late.bmp", &code);
    EXPECT_EQ(code, ErrNone);
    EXPECT_EQ(log, "Output  : " + (out / "late.bmp") + "  ");
    EXPECT_FALSE(test::FileExists(out / "late.bmp"));
}

TEST_F(PipelineTest, LogLinesFollowTheirSwitches) {
    o.LogInputName = 1;
    o.LogOutName = 1;
    o.LogOutputDims = 1;
    ErrorCode code = -1;
    EXPECT_EQ(WithLog(out / "a.bmp", &code),
              "Input   : shown/a.bmp  Output  : " + (out / "a.bmp") + "  ( 10 x 5 )\n");
    EXPECT_EQ(code, ErrNone);
    // Dimensions without the name write nothing.
    o.LogInputName = 0;
    o.LogInputDims = 1;
    o.LogOutName = 0;
    EXPECT_EQ(WithLog(out / "a.bmp", &code), "");
}

TEST_F(PipelineTest, FailedLoadKeepsTheInputLineAndSavesNothing) {
    test::MakeFile(in, "BM but not really");
    o.LogInputName = 1;
    o.LogInputDims = 1;
    ErrorCode code = ErrNone;
    EXPECT_EQ(WithLog(out / "a.bmp", &code), "Input   : shown/a.bmp  ( 0 x 0 )\n");
    EXPECT_NE(code, ErrNone);
    EXPECT_FALSE(test::FileExists(out / "a.bmp"));
    EXPECT_EQ(host.steps, (std::vector<std::string>{"Reading"}));
}

TEST_F(PipelineTest, MissingUserCurveIsReportedForEachFileAndProcessingGoesOn) {
    o.ImageEnhanceType = UserLut;
    o.ImageUserLUTPath = src / "curve.txt";
    ASSERT_EQ(Process(out / "a.bmp"), ErrNone);
    ASSERT_EQ(Process(out / "b.bmp"), ErrNone);
    ASSERT_EQ(host.reports.size(), 2u);
    EXPECT_EQ(host.reports[1], "Error : Unable to open file\nFile : " + o.ImageUserLUTPath +
                                   "\nContext : Load user LUT");
    EXPECT_FALSE(host.cancelOffered[1]);
    EXPECT_TRUE(test::FileExists(out / "b.bmp"));
}

TEST_F(PipelineTest, SavesReplaceTheTargetOnlyWhenTheySucceed) {
    // An existing thumbnail is replaced whole.
    test::MakeFile(out / "a.bmp", "old");
    ASSERT_EQ(Process(out / "a.bmp"), ErrNone);
    EXPECT_EQ(test::BmpSize(out / "a.bmp"), std::make_pair(10, 5));
    // A target that cannot be replaced (a folder) fails and is left alone.
    test::MakeFolder(out / "dir.bmp");
    test::MakeFile(out / "dir.bmp/keep", "keep");
    EXPECT_EQ(Process(out / "dir.bmp"), ErrWriteFile);
    EXPECT_EQ(test::ReadFileText(out / "dir.bmp/keep"), "keep");
    // A folder that does not exist cannot take the file.
    EXPECT_EQ(Process(out / "none/a.bmp"), ErrOpenFile);
    // A format without a writer writes nothing.
    o.MainOutputFormat = 0;
    EXPECT_EQ(Process(out / "nothing.bmp"), ErrNone);
    EXPECT_FALSE(test::FileExists(out / "nothing.bmp"));
    EXPECT_EQ(TempFilesIn(out.path()), 0);
}

TEST_F(PipelineTest, SameAsInputKeepsTheInputFormat) {
    o.MainOutputFormat = FormatSame24;
    ASSERT_EQ(Process(out / "a.BMP"), ErrNone);
    EXPECT_EQ(test::BmpSize(out / "a.BMP"), std::make_pair(10, 5));
}

TEST_F(PipelineTest, PageCellIsWrittenBeforeTheSave) {
    o.HTMLLog = 1;
    o.HTMLTable = 1;
    const std::string pagePath = out / "page.htm";
    std::FILE* page = std::fopen(pagePath.c_str(), "w");
    ASSERT_EQ(Process(out / "a.jpg", nullptr, page), ErrNone);
    std::fclose(page);
    const std::string html = test::ReadFileText(pagePath);
    EXPECT_EQ(html.rfind("  <td>\n", 0), 0u);
    EXPECT_NE(html.find("width=10 height=5"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 9), "  </td>\n\n");
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
    BatchEngine engine(o, host);
    CPxImage overlay;
    ASSERT_EQ(engine.LoadOverlay(overlay), ErrNone);
    EXPECT_EQ(overlay.width(), 4);
    EXPECT_EQ(overlay.height(), 8);
    EXPECT_EQ(host.steps, (std::vector<std::string>{"Loading overlay image"}));
    // Turned a quarter clockwise: the old top-left (near-black) is now top-right.
    EXPECT_EQ(overlay.GetPixel(3, 0), 0u) << "the near-black became exactly the key colour";
    EXPECT_NE(overlay.GetPixel(3, 7), 0u);

    o.OverlayOverlay = 0;
    CPxImage none;
    EXPECT_EQ(engine.LoadOverlay(none), ErrNone);
    EXPECT_TRUE(none.empty());
}

TEST_F(PipelineTest, SingleFileOperationReportsItsFailures) {
    o.OverlayOverlay = 1;
    o.OverlayPath = src / "missing.bmp";
    host.answerCancel = true;
    BatchEngine engine(o, host);
    engine.SingleFileOperation(in, out / "one.bmp", in);
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_NE(
        host.reports[0].find("\nFile : " + o.OverlayPath +
                             "\nContext : Single File Start, Overlay Load\nSetting Overlay OFF"),
        std::string::npos);
    EXPECT_FALSE(test::FileExists(out / "one.bmp")) << "Cancel ends the operation";
    EXPECT_FALSE(engine.running());

    host.answerCancel = false;
    EXPECT_EQ(engine.SingleFileOperation(in, out / "one.bmp", in), ErrNone);
    EXPECT_EQ(o.OverlayOverlay, 0);
    EXPECT_TRUE(test::FileExists(out / "one.bmp"));

    test::MakeFile(src / "bad.bmp", "junk");
    EXPECT_NE(engine.SingleFileOperation(src / "bad.bmp", out / "bad.bmp", src / "bad.bmp"),
              ErrNone);
    EXPECT_NE(
        host.reports.back().find("\nFile : " + (src / "bad.bmp") + "\nContext : Single File Start"),
        std::string::npos);
}

class RunOutputsTest : public ::testing::Test {
protected:
    RunOutputsTest() {
        o.MainSrcPath = src.path();
        o.MainDestPath = out.path();
        o.MainWidth = 8;
        o.MainHeight = 8;
        o.MainOutputFormat = FormatBmp24;
        o.OutputRenameStyle = Overwrite;
        o.CompositeMakeComposite = 1;
        o.CompositeFormat = FormatBmp24;
        o.CompositeWriteFileName = 0;
    }
    BatchSummary Run() {
        BatchEngine engine(o, host);
        return engine.BatchRun();
    }
    TempDir src, out;
    BatchOptions o;
    RecordingHost host;
};

TEST_F(RunOutputsTest, FullSheetsAndTheLastOneGoToTheRoot) {
    o.CompositeRows = 1;
    o.CompositeCols = 2;
    for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) test::WriteBmp(src / n, 16, 16);
    EXPECT_EQ(Run().processed, 3);
    EXPECT_TRUE(host.reports.empty());
    // 2 cells of 8 with a 30 pixel gap and half-cell margins: 3 x 8 + 30 wide.
    EXPECT_EQ(test::BmpSize(out / "Comp0.bmp"), std::make_pair(54, 16));
    EXPECT_TRUE(test::FileExists(out / "Comp1.bmp"));
    EXPECT_FALSE(test::FileExists(out / "Comp2.bmp"));
}

TEST_F(RunOutputsTest, FolderChangeSavesIntoTheOldFolderAndNumbersOnlyWrittenSheets) {
    o.CompositeWriteToRoot = 0;
    o.OutputRecurseSrc = 1;
    o.OutputDuplicateSrcTree = 1;
    for (const char* f : {"A", "B", "C"}) test::MakeFolder(src / f);
    test::WriteBmp(src / "A/1.bmp", 16, 16);
    test::WriteBmp(src / "A/2.bmp", 16, 16);
    test::MakeFile(src / "B/bad.bmp", "junk");  // a folder whose only file fails
    test::WriteBmp(src / "C/3.bmp", 16, 16);
    EXPECT_EQ(Run().processed, 4);
    EXPECT_TRUE(test::FileExists(out / "A/Comp0.bmp"));
    EXPECT_FALSE(test::FileExists(out / "B/Comp1.bmp")) << "no sheet without thumbnails";
    EXPECT_TRUE(test::FileExists(out / "C/Comp1.bmp"));
    EXPECT_TRUE(test::FileExists(out / "A/1.bmp"));
    EXPECT_TRUE(test::FileExists(out / "C/3.bmp"));
}

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(RunOutputsTest, PagesBreakAndFailedFilesGetAnErrorCell) {
    o.CompositeMakeComposite = 0;
    o.HTMLLog = 1;
    o.HTMLTable = 1;
    o.HTMLWriteBMP = 1;
    o.HTMLMaxImages = 3;
    o.HTMLTableCols = 2;
    o.HTMLMakeIndex = 1;
    for (const char* n : {"1.bmp", "2.bmp", "4.bmp", "5.bmp"}) test::WriteBmp(src / n, 16, 16);
    test::MakeFile(src / "3.bmp", "junk");
    o.OutputSortFiles = Alphabetic;
    EXPECT_EQ(Run().processed, 5);
    const std::string page0 = test::ReadFileText(out / "Thumbs0.htm");
    const std::string page1 = test::ReadFileText(out / "Thumbs1.htm");
    EXPECT_EQ(CountOf(page0, "<img src="), 2u);
    EXPECT_NE(page0.find("  <td>Error : 3.bmp</td>\n\n"), std::string::npos);
    EXPECT_EQ(CountOf(page1, "<img src="), 2u);
    EXPECT_NE(page1.find("<img src=\"4.bmp\""), std::string::npos);
    EXPECT_NE(page1.find("</html>"), std::string::npos) << "the last page is closed";
    EXPECT_TRUE(test::FileExists(out / "index.htm"));
}

}  // namespace
}  // namespace vig
