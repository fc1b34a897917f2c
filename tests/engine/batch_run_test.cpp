// The batch run's preparation and loop: every failure row, questions,
// progress texts and the summary.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/batch_engine.h"
#include "engine_test_util.h"
#include "image/codec_table.h"
#include "support/recording_host.h"

namespace vig {
namespace {

using test::MakeFile;
using test::MakeFolder;
using test::RecordingHost;
using test::TempDir;

class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest() {
        o.MainSrcPath = src.path();
        o.MainDestPath = out.path();
        o.OutputRenameStyle = Overwrite;
        o.MainOutputFormat = FormatBmp24;
    }
    BatchSummary Run() {
        BatchEngine engine(o, host);
        BatchSummary s = engine.BatchRun();
        EXPECT_FALSE(engine.running());
        return s;
    }
    // The message of report i, whatever reached it (box or headless).
    std::string Report(size_t i) const {
        const auto& all = host.hasWindow_ ? host.reports : host.silentReports;
        return i < all.size() ? all[i] : std::string("<no report>");
    }
    size_t ReportCount() const {
        return host.hasWindow_ ? host.reports.size() : host.silentReports.size();
    }

    TempDir src, out;
    BatchOptions o;
    RecordingHost host;
};

constexpr const char* kCancelLine = "\nPress Cancel to stop this procedure";

TEST(BatchHelpers, ResolveOutputFormatFollowsTheInputForSameAsInput) {
    EXPECT_EQ(ResolveOutputFormat(2, InputJpeg), FormatJpg) << "8-bit JPEG stays full colour";
    EXPECT_EQ(ResolveOutputFormat(2, InputGif), FormatGif);
    EXPECT_EQ(ResolveOutputFormat(3, InputPcx), FormatPcxGray);
    EXPECT_EQ(ResolveOutputFormat(1, InputNone), 0);
    EXPECT_EQ(ResolveOutputFormat(13, InputPng), 13);
    EXPECT_EQ(ResolveOutputFormat(20, InputPng), 0);
}

TEST(BatchHelpers, SharesCommonRootComparesTheFirstCharacterOnly) {
    EXPECT_TRUE(SharesCommonRoot("/a/b", "/c"));
    EXPECT_TRUE(SharesCommonRoot("D:\\x", "d:\\y"));
    EXPECT_FALSE(SharesCommonRoot("photos", "/thumbs"));
    EXPECT_FALSE(SharesCommonRoot("", ""));
}

TEST(BatchHelpers, SingleFileStartNamesTheOutputFromTheSingleFile) {
    TempDir dir;
    BatchOptions o;
    o.MainDestPath = dir.path();
    o.MainOutputFormat = FormatPng24;
    o.OutputRenameStyle = TextPrefix;
    o.OutputExtraText = "t_";
    EXPECT_EQ(SingleFileOutputPath(o, "/in/Photo.JPG"), dir / "t_Photo.png");
    o.MainOutputFormat = FormatSame24;
    o.OutputRenameStyle = AutoNumericSuffix;
    MakeFile(dir / "Photo.JPG");
    EXPECT_EQ(SingleFileOutputPath(o, "/in/Photo.JPG"), dir / "Photo1.JPG");
    o.OutputRenameStyle = Overwrite;
    EXPECT_EQ(SingleFileOutputPath(o, "abc"), dir / ".") << "short names do not underflow";
}

TEST_F(BatchRunTest, EmptyRunEndsWithTheSummaryAndWritesNothing) {
    o.CompositeMakeComposite = 1;  // best fit: a sheet is set up, but stays empty
    const BatchSummary s = Run();
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.total, 0);
    EXPECT_EQ(host.steps.back(), "Processed 0 of 0 files\n");
    EXPECT_EQ(host.details.back(), "");
    EXPECT_EQ(host.progress, (std::vector<std::string>{"Scanning for files"}));
    EXPECT_EQ(test::ReadFileText(out / "Comp0.jpg"), "") << "no sheet without thumbnails";
}

TEST_F(BatchRunTest, OverwriteQuestionOnlyWithAWindowTheOverwriteStyleAndNoSilence) {
    o.MainDestPath = o.MainSrcPath;
    host.answerYes = false;
    BatchSummary s = Run();
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0], "This operation will overwrite all input files.\nContinue?");
    EXPECT_FALSE(s.finished);
    EXPECT_TRUE(host.steps.empty()) << "No ends the run before anything else";

    for (int variant = 0; variant < 3; ++variant) {
        RecordingHost other(variant != 2);
        BatchOptions p = o;
        if (variant == 0) p.OutputRenameStyle = AutoNumericSuffix;
        if (variant == 1) p.OpsSilentOperation = 1;
        other.answerYes = false;
        BatchEngine engine(p, other);
        EXPECT_TRUE(engine.BatchRun().finished) << variant;
        EXPECT_TRUE(other.questions.empty()) << variant;
    }
}

TEST_F(BatchRunTest, OutputFolderThatCannotBeCreatedEndsTheRun) {
    MakeFile(out / "file");
    o.MainDestPath = out / "file/sub";
    o.OutputCreateFolder = 1;
    EXPECT_FALSE(Run().finished);
    ASSERT_EQ(ReportCount(), 1u);
    EXPECT_EQ(Report(0), "Error : Can't create output directory\nFile : " + o.MainDestPath +
                             "\nContext : Stopping (Main Resize)");
    EXPECT_FALSE(host.cancelOffered[0]);
}

TEST_F(BatchRunTest, OutputFolderIsCreatedWithItsParents) {
    o.MainDestPath = out / "a/b";
    o.OutputCreateFolder = 1;
    EXPECT_TRUE(Run().finished);
    EXPECT_TRUE(test::FileExists(out / "a/b"));
}

TEST_F(BatchRunTest, OutputTreeFailureEndsTheRun) {
    o.MainSrcPath = src / "missing";
    o.OutputDuplicateSrcTree = 1;
    o.OutputRecurseSrc = 1;
    EXPECT_FALSE(Run().finished);
    ASSERT_EQ(ReportCount(), 2u);
    EXPECT_NE(Report(0).find("Context : create output tree"), std::string::npos);
    EXPECT_EQ(Report(1), "Error : Can't create output tree\nFile : " + out.path() +
                             "\nContext : Stopping (main resize)");
}

TEST_F(BatchRunTest, SourceFolderThatCannotBeUsedEndsTheRun) {
    o.MainSrcPath = src / "missing";
    host.hasWindow_ = false;
    EXPECT_FALSE(Run().finished);
    ASSERT_EQ(ReportCount(), 2u);
    EXPECT_NE(Report(0).find("Context : find files in dir"), std::string::npos);
    EXPECT_EQ(Report(1), "Error : Can't change folder\nFile : " + o.MainSrcPath +
                             "\nContext : Stopping (main resize)");
    EXPECT_TRUE(host.progress.empty()) << "no busy window without a window";
}

TEST_F(BatchRunTest, OverlayThatCannotBeLoadedIsSwitchedOffOrEndsTheRun) {
    o.OverlayOverlay = 1;
    o.OverlayPath = src / "logo.bmp";
    host.answerCancel = true;
    EXPECT_FALSE(Run().finished);
    ASSERT_EQ(ReportCount(), 1u);
    EXPECT_NE(
        Report(0).find("\nFile : " + o.OverlayPath +
                       "\nContext : Overlay (main resize)\nSetting overlay OFF" + kCancelLine),
        std::string::npos);
    EXPECT_EQ(o.OverlayOverlay, 1);
    EXPECT_EQ(std::count(host.steps.begin(), host.steps.end(), "Loading overlay image"), 1);

    host.answerCancel = false;
    EXPECT_TRUE(Run().finished);
    EXPECT_EQ(o.OverlayOverlay, 0);
}

TEST_F(BatchRunTest, SourceLinksWithoutACommonRootAreSwitchedOff) {
    o.HTMLLog = 1;
    o.HTMLMakeSrcLink = 1;
    o.MainDestPath = "relative-out";
    host.answerCancel = true;
    EXPECT_FALSE(Run().finished);
    ASSERT_EQ(ReportCount(), 1u);
    EXPECT_EQ(Report(0),
              "Error : Vignettor will be unable to create HTML links.\nSource and Destination "
              "folders do not share a common root.\nContext : Main resize\nTurning HTML links "
              "OFF!!" +
                  std::string(kCancelLine));
    EXPECT_EQ(o.HTMLMakeSrcLink, 1);
    host.answerCancel = false;
    EXPECT_TRUE(Run().finished);
    EXPECT_EQ(o.HTMLMakeSrcLink, 0);
    // Branch folders always share the root.
    o.HTMLMakeSrcLink = 1;
    o.OutputBranchFromSrc = 1;
    EXPECT_TRUE(Run().finished);
    EXPECT_EQ(o.HTMLMakeSrcLink, 1);
}

TEST_F(BatchRunTest, CompositeNeedsASuitableResizeMethod) {
    o.CompositeMakeComposite = 1;
    for (int method : {0, 5, 6, 2, 3}) {
        RecordingHost h;
        BatchOptions p = o;
        p.MainResizeMethod = method;
        BatchEngine engine(p, h);
        EXPECT_TRUE(engine.BatchRun().finished);
        ASSERT_EQ(h.reports.size(), 1u) << method;
        EXPECT_EQ(h.reports[0],
                  "Error : Can't create composite image unless :\n1) Best Fit or Exact Size resize "
                  "method is used\n2) Fixed Width or Fixed Height resize method is used with "
                  "background matting On.\nContext : Main resize\nTurning Composite Off!" +
                      std::string(kCancelLine));
        EXPECT_EQ(p.CompositeMakeComposite, 0) << method;
    }
    for (int method : {1, 4, 2, 3}) {
        RecordingHost h;
        BatchOptions p = o;
        p.MainResizeMethod = method;
        p.ImageMatte = 1;
        BatchEngine engine(p, h);
        EXPECT_TRUE(engine.BatchRun().finished);
        EXPECT_TRUE(h.reports.empty()) << method;
        EXPECT_EQ(p.CompositeMakeComposite, 1);
    }
    host.answerCancel = true;
    o.MainResizeMethod = 0;
    EXPECT_FALSE(Run().finished);
    EXPECT_EQ(o.CompositeMakeComposite, 1);
}

TEST_F(BatchRunTest, CompositeThatCannotBeSetUpIsReportedAndTheRunGoesOn) {
    o.CompositeMakeComposite = 1;
    o.MainWidth = 1 << 20;
    o.MainHeight = 1 << 20;
    EXPECT_TRUE(Run().finished);
    ASSERT_EQ(ReportCount(), 1u);
    EXPECT_NE(
        Report(0).find("\nContext : Composite image initialization" + std::string(kCancelLine)),
        std::string::npos);
    EXPECT_EQ(Report(0).find("File :"), std::string::npos);
    host.answerCancel = true;
    EXPECT_FALSE(Run().finished);
}

TEST_F(BatchRunTest, BranchFolderThatCannotBeCreatedEndsTheLoopButFinishes) {
    o.OutputBranchFromSrc = 1;
    MakeFile(src / "Thumb");  // a file where the branch folder should go
    MakeFile(src / "a.bmp");
    const BatchSummary s = Run();
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.processed, 0);
    ASSERT_EQ(ReportCount(), 1u);
    EXPECT_EQ(Report(0), "Error : Can't create output directory\nFile : " + (src / "Thumb") +
                             "\nContext : Stopping (main resize)");
    EXPECT_FALSE(host.cancelOffered[0]);
    EXPECT_EQ(host.steps.back(), "Processed 0 of 1 files\n");
}

TEST_F(BatchRunTest, FailedFilesAreReportedAndCountedUnlessCancelled) {
    MakeFile(src / "a.bmp", "not an image");
    MakeFile(src / "b.bmp", "not an image either");
    o.LogMakeLog = 1;
    o.LogPath = out / "log.txt";
    BatchSummary s = Run();
    EXPECT_EQ(s.processed, 2);
    ASSERT_EQ(ReportCount(), 2u);
    EXPECT_NE(
        Report(0).find("\nFile : " + (src / "a.bmp") + "\nContext : File Process" + kCancelLine),
        std::string::npos);
    EXPECT_TRUE(host.cancelOffered[0]);
    EXPECT_EQ(host.progress,
              (std::vector<std::string>{"Scanning for files", "1 of 2 files processed",
                                        "2 of 2 files processed"}));
    EXPECT_EQ(host.steps.back(), "Processed 2 of 2 files\n");
    const std::string log = test::ReadFileText(out / "log.txt");
    EXPECT_NE(log.find("** Error "), std::string::npos);
    EXPECT_NE(log.find("File : " + (src / "b.bmp") + "\nContext : File Process\n\n"),
              std::string::npos);

    host = RecordingHost();
    host.answerCancel = true;
    s = Run();
    EXPECT_EQ(s.processed, 0) << "a file whose report is cancelled does not count";
    EXPECT_EQ(ReportCount(), 1u);
    EXPECT_EQ(host.steps.back(), "Processed 0 of 2 files\n");
}

TEST_F(BatchRunTest, StopRequestBeforeAFileEndsTheLoop) {
    MakeFile(src / "a.bmp", "junk");
    host.stop = true;
    const BatchSummary s = Run();
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.processed, 0);
    EXPECT_EQ(ReportCount(), 0u);
    EXPECT_EQ(host.steps.back(), "Processed 0 of 1 files\n");
}

TEST_F(BatchRunTest, LogIsReplacedOrAppendedAndMissingLogsAreSilent) {
    o.LogMakeLog = 1;
    o.LogPath = out / "log.txt";
    MakeFile(o.LogPath, "old run\n");
    Run();
    EXPECT_EQ(test::ReadFileText(o.LogPath).find("old run"), std::string::npos);
    MakeFile(o.LogPath, "old run\n");
    o.LogAppend = 1;
    MakeFile(src / "x.bmp", "junk");
    Run();
    EXPECT_EQ(test::ReadFileText(o.LogPath).rfind("old run\n", 0), 0u);
    EXPECT_GT(test::ReadFileText(o.LogPath).size(), 8u);
    o.LogPath = out / "no/such/folder/log.txt";
    EXPECT_TRUE(Run().finished);
    EXPECT_EQ(ReportCount(), 2u) << "only the file's own reports";
}

}  // namespace
}  // namespace vig
