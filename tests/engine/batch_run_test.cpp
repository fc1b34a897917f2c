// The batch run's preparation and loop: every failure row, questions,
// progress texts, the summary, and the sheets and pages a run writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>

#include "engine/batch_engine.h"
#include "engine/output_naming.h"
#include "engine/report.h"
#include "engine_test_util.h"
#include "image/codec_table.h"
#include "support/recording_host.h"

namespace vig {
namespace {

using test::FileExists;
using test::MakeFile;
using test::RecordingHost;
using test::TempDir;
using Texts = std::vector<std::string>;

constexpr const char* kCancelLine = "\nPress Cancel to stop this procedure";

size_t CountOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest() {
        o.MainSrcPath = src.path();
        o.MainDestPath = out.path();
        o.OutputRenameStyle = options::Overwrite;
        o.MainOutputFormat = options::FormatBmp24;
    }
    static engine::BatchSummary Run(options::BatchOptions& p, RecordingHost& h) {
        engine::BatchEngine engine(p, h);
        const engine::BatchSummary s = engine.BatchRun();
        EXPECT_FALSE(engine.running());
        return s;
    }
    engine::BatchSummary Run() { return Run(o, host); }

    TempDir src, out;
    options::BatchOptions o;
    RecordingHost host;
};

TEST(BatchHelpers, OutputFormatAndCommonRoot) {
    EXPECT_EQ(engine::ResolveOutputFormat(2, image::InputJpeg), options::FormatJpg)
        << "8-bit JPEG stays full colour";
    EXPECT_EQ(engine::ResolveOutputFormat(2, image::InputGif), options::FormatGif);
    EXPECT_EQ(engine::ResolveOutputFormat(3, image::InputPcx), options::FormatPcxGray);
    EXPECT_EQ(engine::ResolveOutputFormat(1, image::InputNone), 0);
    EXPECT_EQ(engine::ResolveOutputFormat(13, image::InputPng), 13);
    EXPECT_EQ(engine::ResolveOutputFormat(20, image::InputPng), 0);
    EXPECT_EQ(engine::ResolveOutputFormat(13, image::InputWebp), 13);
}

// HEIF, AVIF and WebP pictures have no writer of their own: "same as input"
// makes JPEG files of them, named .JPG, whatever the extension's case; and
// for every extension a reader takes, the name's extension is that of the
// format written.
TEST(BatchHelpers, SameAsInputForFormatsWithoutAWriterIsJpeg) {
    const struct {
        int format;
        int same24, same8, sameGray;
    } rows[] = {
        {image::InputHeif, options::FormatJpg, options::FormatJpg, options::FormatJpgGray},
        {image::InputAvif, options::FormatJpg, options::FormatJpg, options::FormatJpgGray},
        {image::InputWebp, options::FormatJpg, options::FormatJpg, options::FormatJpgGray},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(engine::ResolveOutputFormat(options::FormatSame24, r.format), r.same24)
            << r.format;
        EXPECT_EQ(engine::ResolveOutputFormat(options::FormatSame8, r.format), r.same8) << r.format;
        EXPECT_EQ(engine::ResolveOutputFormat(options::FormatSameGray, r.format), r.sameGray)
            << r.format;
    }
    for (const char* ext : {".heic", ".HEIF", ".Hif", ".avif", ".WEBP"})
        for (int same = options::FormatSame24; same <= options::FormatSameGray; ++same)
            EXPECT_EQ(engine::OutputExtension(ext, same), "JPG") << ext;
    for (const image::ExtensionEntry& e : image::ReaderExtensions()) {
        for (int same = options::FormatSame24; same <= options::FormatSameGray; ++same) {
            const int written = engine::ResolveOutputFormat(same, e.inputFormat);
            ASSERT_NE(written, 0) << e.extension;
            std::string upper = engine::FormatExtension(written).substr(1);
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(engine::OutputExtension(e.extension, same), upper)
                << e.extension << " " << same;
        }
    }
    // Only the first characters are compared, letter case ignored.
    EXPECT_TRUE(engine::SharesCommonRoot("/a/b", "/c"));
    EXPECT_TRUE(engine::SharesCommonRoot("D:\\x", "d:\\y"));
    EXPECT_FALSE(engine::SharesCommonRoot("photos", "/thumbs"));
    EXPECT_FALSE(engine::SharesCommonRoot("", ""));
}

TEST(BatchHelpers, SingleFileStartNamesTheOutputFromTheSingleFile) {
    TempDir dir;
    options::BatchOptions o;
    o.MainDestPath = dir.path();
    o.MainOutputFormat = options::FormatPng24;
    o.OutputRenameStyle = options::TextPrefix;
    o.OutputExtraText = "t_";
    EXPECT_EQ(engine::SingleFileOutputPath(o, "/in/Photo.JPG"), dir / "t_Photo.png");
    o.MainOutputFormat = options::FormatSame24;
    o.OutputRenameStyle = options::AutoNumericSuffix;
    MakeFile(dir / "Photo.JPG");
    EXPECT_EQ(engine::SingleFileOutputPath(o, "/in/Photo.JPG"), dir / "Photo1.JPG");
    o.OutputRenameStyle = options::Overwrite;
    EXPECT_EQ(engine::SingleFileOutputPath(o, "abc"), dir / ".") << "short names do not underflow";
    // Longer extensions go whole.
    EXPECT_EQ(engine::SingleFileOutputPath(o, "/in/Photo.heic"), dir / "Photo.JPG");
    EXPECT_EQ(engine::SingleFileOutputPath(o, "/in/x.WebP"), dir / "x.JPG");
    EXPECT_EQ(engine::SingleFileOutputPath(o, "/in/Photo.tiff"), dir / "Photo..")
        << "unknown: 4 go";
}

TEST_F(BatchRunTest, EmptyRunCreatesTheOutputFolderAndEndsWithTheSummary) {
    o.MainDestPath = out / "a/b";
    o.OutputCreateFolder = 1;
    o.CompositeMakeComposite = 1;  // best fit: a sheet is set up, but stays empty
    const engine::BatchSummary s = Run();
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.total, 0);
    EXPECT_EQ(host.steps.back(), "Processed 0 of 0 files\n");
    EXPECT_EQ(host.details.back(), "");
    EXPECT_EQ(host.progress, Texts{"Scanning for files"});
    EXPECT_TRUE(FileExists(out / "a/b"));
    EXPECT_FALSE(FileExists(out / "a/b/Comp0.jpg")) << "no sheet without thumbnails";
}

TEST_F(BatchRunTest, OverwriteQuestionOnlyWithAWindowTheOverwriteStyleAndNoSilence) {
    o.MainDestPath = o.MainSrcPath;
    host.answerYes = false;
    EXPECT_FALSE(Run().finished);
    EXPECT_EQ(host.questions, Texts{"This operation will overwrite all input files.\nContinue?"});
    EXPECT_TRUE(host.steps.empty()) << "No ends the run before anything else";

    for (int variant = 0; variant < 3; ++variant) {
        RecordingHost other(variant != 2);
        other.answerYes = false;
        options::BatchOptions p = o;
        if (variant == 0) p.OutputRenameStyle = options::AutoNumericSuffix;
        if (variant == 1) p.OpsSilentOperation = 1;
        EXPECT_TRUE(Run(p, other).finished) << variant;
        EXPECT_TRUE(other.questions.empty()) << variant;
        EXPECT_EQ(other.progress.empty(), variant == 2) << "no busy window without a window";
    }
}

TEST_F(BatchRunTest, PreparationFailuresEndTheRunWithoutOfferingCancel) {
    MakeFile(out / "file");
    const std::string missing = src / "missing";
    const struct {
        std::function<void(options::BatchOptions&)> change;
        std::string firstContext;  // of a report before the row's own ("" none)
        std::string report;
    } rows[] = {
        {[&](options::BatchOptions& p) {
             p.MainDestPath = out / "file/sub";
             p.OutputCreateFolder = 1;
         },
         "",
         engine::FormatReport(out / "file/sub", image::ErrCreateOutputDir,
                              "Stopping (Main Resize)")},
        {[&](options::BatchOptions& p) {
             p.MainSrcPath = missing;
             p.OutputDuplicateSrcTree = 1;
             p.OutputRecurseSrc = 1;
         },
         "create output tree",
         engine::FormatReport(out.path(), image::ErrCreateOutputTree, "Stopping (main resize)")},
        {[&](options::BatchOptions& p) { p.MainSrcPath = missing; }, "find files in dir",
         engine::FormatReport(missing, image::ErrChangeFolder, "Stopping (main resize)")},
    };
    for (const auto& row : rows) {
        RecordingHost h;
        options::BatchOptions p = o;
        row.change(p);
        EXPECT_FALSE(Run(p, h).finished) << row.report;
        ASSERT_EQ(h.reports.size(), row.firstContext.empty() ? 1u : 2u) << row.report;
        EXPECT_EQ(h.reports.back(), row.report);
        EXPECT_NE(h.reports[0].find("\nContext : " + row.firstContext), std::string::npos);
        EXPECT_EQ(std::count(h.cancelOffered.begin(), h.cancelOffered.end(), true), 0);
    }
}

TEST_F(BatchRunTest, ReportsOfferingCancelEndTheRunOrSwitchTheFeatureOff) {
    const std::string logo = src / "logo.bmp";
    const struct {
        std::function<void(options::BatchOptions&)> change;
        int options::BatchOptions::*feature;
        bool switchedOff;  // on OK; otherwise the run goes on with it
        std::string report;
    } rows[] = {
        {[&](options::BatchOptions& p) {
             p.OverlayOverlay = 1;
             p.OverlayPath = logo;
         },
         &options::BatchOptions::OverlayOverlay, true,
         engine::FormatReport(logo, image::ErrOpenFile,
                              "Overlay (main resize)\nSetting overlay OFF")},
        {[](options::BatchOptions& p) {
             p.CompositeMakeComposite = 1;
             p.MainResizeMethod = options::NoResize;
         },
         &options::BatchOptions::CompositeMakeComposite, true,
         "Error : Can't create composite image unless :\n1) Best Fit or Exact Size resize method "
         "is used\n2) Fixed Width or Fixed Height resize method is used with background matting "
         "On.\nContext : Main resize\nTurning Composite Off!"},
        {[](options::BatchOptions& p) {
             p.CompositeMakeComposite = 1;
             p.MainWidth = 1 << 20;
             p.MainHeight = 1 << 20;
         },
         &options::BatchOptions::CompositeMakeComposite, false,
         engine::FormatReport("", image::ErrOutOfMemory, "Composite image initialization")},
    };
    for (const auto& row : rows) {
        for (const bool cancel : {true, false}) {
            RecordingHost h;
            h.answerCancel = cancel;
            options::BatchOptions p = o;
            row.change(p);
            EXPECT_EQ(Run(p, h).finished, !cancel) << row.report;
            EXPECT_EQ(h.reports, Texts{row.report + kCancelLine});
            EXPECT_EQ(h.cancelOffered, std::vector<bool>{true});
            EXPECT_EQ(p.*row.feature, cancel || !row.switchedOff ? 1 : 0) << row.report;
        }
    }
    // Branch folders always share the root.
    o.HTMLLog = o.HTMLMakeSrcLink = o.OutputBranchFromSrc = 1;
    o.MainDestPath = "relative-out";
    EXPECT_TRUE(Run().finished);
    EXPECT_TRUE(host.reports.empty());
    EXPECT_EQ(o.HTMLMakeSrcLink, 1);
}

TEST_F(BatchRunTest, CompositeNeedsASuitableResizeMethod) {
    const struct {
        int method, matte;
        bool accepted;
    } rows[] = {{options::BestFit, 0, true},     {options::ExactSize, 0, true},
                {options::FixedWidth, 1, true},  {options::FixedHeight, 1, true},
                {options::FixedWidth, 0, false}, {options::FixedHeight, 0, false},
                {options::NoResize, 1, false},   {options::PixelArea, 1, false},
                {options::Percent, 1, false}};
    for (const auto& row : rows) {
        RecordingHost h;
        options::BatchOptions p = o;
        p.CompositeMakeComposite = 1;
        p.MainResizeMethod = row.method;
        p.ImageMatte = row.matte;
        EXPECT_TRUE(Run(p, h).finished);
        EXPECT_EQ(h.reports.size(), row.accepted ? 0u : 1u) << row.method << " " << row.matte;
        EXPECT_EQ(p.CompositeMakeComposite, row.accepted ? 1 : 0);
    }
}

TEST_F(BatchRunTest, BranchFolderThatCannotBeCreatedEndsTheLoopButFinishes) {
    o.OutputBranchFromSrc = 1;
    MakeFile(src / "Thumb");  // a file where the branch folder should go
    MakeFile(src / "a.bmp");
    MakeFile(src / "b.bmp");
    const engine::BatchSummary s = Run();
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.processed, 0);
    EXPECT_EQ(host.reports, Texts{engine::FormatReport(src / "Thumb", image::ErrCreateOutputDir,
                                                       "Stopping (main resize)")});
    EXPECT_FALSE(host.cancelOffered[0]);
    EXPECT_EQ(host.steps.back(), "Processed 0 of 2 files\n");
}

TEST_F(BatchRunTest, FailedFilesAreReportedAndCountedUnlessCancelled) {
    MakeFile(src / "a.bmp", "not an image");
    MakeFile(src / "b.bmp", "not an image either");
    o.LogMakeLog = 1;
    o.LogPath = out / "log.txt";
    engine::BatchSummary s = Run();
    EXPECT_EQ(s.processed, 2);
    ASSERT_EQ(host.reports.size(), 2u);
    EXPECT_NE(host.reports[0].find("\nFile : " + (src / "a.bmp") + "\nContext : File Process" +
                                   kCancelLine),
              std::string::npos);
    EXPECT_TRUE(host.cancelOffered[0]);
    EXPECT_EQ(host.progress,
              (Texts{"Scanning for files", "1 of 2 files processed", "2 of 2 files processed"}));
    EXPECT_EQ(host.steps.back(), "Processed 2 of 2 files\n");
    const std::string log = test::ReadFileText(out / "log.txt");
    EXPECT_NE(log.find("** Error "), std::string::npos);
    EXPECT_NE(log.find("File : " + (src / "b.bmp") + "\nContext : File Process\n\n"),
              std::string::npos);

    // A log that cannot be made is reported (without Cancel) and the run
    // goes on without it.
    o.LogPath = out / "no/such/folder/log.txt";
    host = RecordingHost();
    host.answerCancel = true;
    s = Run();
    EXPECT_EQ(s.processed, 0) << "a file whose report is cancelled does not count";
    ASSERT_EQ(host.reports.size(), 2u);
    EXPECT_EQ(host.reports[0],
              engine::FormatReport(o.LogPath, image::ErrOpenFile, "Write batch log"));
    EXPECT_EQ(host.cancelOffered, (std::vector<bool>{false, true}));
    EXPECT_EQ(host.steps.back(), "Processed 0 of 2 files\n");
}

TEST_F(BatchRunTest, StopRequestBeforeAFileEndsTheLoop) {
    MakeFile(src / "a.bmp", "junk");
    host.stop = true;
    const engine::BatchSummary s = Run();
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(s.processed, 0);
    EXPECT_TRUE(host.reports.empty());
    EXPECT_EQ(host.steps.back(), "Processed 0 of 1 files\n");
}

TEST_F(BatchRunTest, FolderChangeSavesIntoTheOldFolderAndNumbersOnlyWrittenSheets) {
    o.MainWidth = o.MainHeight = 8;
    o.CompositeMakeComposite = 1;
    o.CompositeFormat = options::FormatBmp24;
    o.CompositeWriteToRoot = 0;
    o.OutputRecurseSrc = 1;
    o.OutputDuplicateSrcTree = 1;
    for (const char* f : {"A", "B", "C"}) test::MakeFolder(src / f);
    test::WriteBmp(src / "A/1.bmp", 16, 16);
    test::WriteBmp(src / "A/2.bmp", 16, 16);
    test::MakeFile(src / "B/bad.bmp", "junk");  // a folder whose only file fails
    test::WriteBmp(src / "C/3.bmp", 16, 16);
    EXPECT_EQ(Run().processed, 4);
    EXPECT_TRUE(FileExists(out / "A/Comp0.bmp"));
    EXPECT_FALSE(FileExists(out / "B/Comp1.bmp")) << "no sheet without thumbnails";
    EXPECT_TRUE(FileExists(out / "C/Comp1.bmp"));
    EXPECT_TRUE(FileExists(out / "A/1.bmp"));
    EXPECT_TRUE(FileExists(out / "C/3.bmp"));
    // Written to the root, one sheet holds the thumbnails of every folder.
    o.CompositeWriteToRoot = 1;
    o.MainDestPath = out / "root";
    o.OutputCreateFolder = 1;
    EXPECT_EQ(Run().processed, 4);
    EXPECT_TRUE(FileExists(out / "root/Comp0.bmp"));
    EXPECT_FALSE(FileExists(out / "root/Comp1.bmp"));
    EXPECT_FALSE(FileExists(out / "root/A/Comp0.bmp"));
}

TEST_F(BatchRunTest, PagesBreakAndFailedFilesGetAnErrorCell) {
    o.MainWidth = o.MainHeight = 8;
    o.HTMLLog = 1;
    o.HTMLTable = 1;
    o.HTMLWriteBMP = 1;
    o.HTMLMaxImages = 3;
    o.HTMLTableCols = 2;
    o.HTMLMakeIndex = 1;
    o.OutputSortFiles = options::Alphabetic;
    for (const char* n : {"1.bmp", "2.bmp", "4.bmp", "5.bmp"}) test::WriteBmp(src / n, 16, 16);
    test::MakeFile(src / "3.bmp", "junk");
    EXPECT_EQ(Run().processed, 5);
    const std::string page0 = test::ReadFileText(out / "Thumbs0.htm");
    const std::string page1 = test::ReadFileText(out / "Thumbs1.htm");
    // Each thumbnail's entry stands in its own cell lines.
    for (const std::string& page : {page0, page1}) {
        EXPECT_EQ(CountOf(page, "<img src="), 2u);
        EXPECT_EQ(CountOf(page, "  <td>\n"), 2u);
        EXPECT_EQ(CountOf(page, "  </td>\n\n"), 2u);
    }
    EXPECT_NE(page0.find("  <td>Error : 3.bmp</td>\n\n"), std::string::npos);
    EXPECT_NE(page1.find("<img src=\"4.bmp\" hspace=0 vspace=0 border=0 width=8 height=8>"),
              std::string::npos)
        << page1;
    EXPECT_NE(page1.find("</html>"), std::string::npos) << "the last page is closed";
    EXPECT_TRUE(FileExists(out / "index.htm"));
}

TEST_F(BatchRunTest, DocumentsNamedLikeAThumbnailOfTheRunAreRefusedAndItIsKept) {
    o.MainWidth = o.MainHeight = 8;
    test::WriteBmp(src / "a0.bmp", 16, 16, [](int x, int y) { return x * 40u + y * 9000u; });
    const std::string thumbnail = out / "a0.bmp";
    ASSERT_EQ(Run().processed, 1);
    const std::vector<uint8_t> made = test::ReadFileBytes(thumbnail);
    ASSERT_FALSE(made.empty());
    const struct {
        const char* what;
        int log, append, sheet;
        const char* context;
    } rows[] = {{"log replacing", 1, 0, 0, "Write batch log"},
                {"log appended", 1, 1, 0, "Write batch log"},
                {"contact sheet", 0, 0, 1, "Save composite image"}};
    for (const auto& row : rows) {
        std::filesystem::remove(thumbnail);
        RecordingHost h;
        options::BatchOptions p = o;
        p.LogMakeLog = row.log;
        p.LogAppend = row.append;
        p.LogPath = thumbnail;
        p.CompositeMakeComposite = row.sheet;
        p.CompositeBaseName = "a";
        p.CompositeFormat = options::FormatBmp24;
        EXPECT_EQ(Run(p, h).processed, 1) << row.what;
        EXPECT_EQ(h.reports,
                  Texts{engine::FormatReport(thumbnail, image::ErrWouldReplace, row.context)})
            << row.what;
        EXPECT_EQ(test::ReadFileBytes(thumbnail), made) << row.what;
    }
}

// Another program takes the name a numbered thumbnail is about to get.
class NameTakingHost : public RecordingHost {
public:
    void SetDetailText(const std::string& text) override {
        RecordingHost::SetDetailText(text);
        if (takenName.empty() && !steps.empty() && steps.back() == "Saving") {
            takenName = text;
            test::WriteFileText(text, "another program's");
        }
    }
    std::string takenName;
};

TEST_F(BatchRunTest, ANumberedNameTakenMeanwhileIsKeptAndTheThumbnailTakesTheNextNumber) {
    o.MainWidth = o.MainHeight = 8;
    o.OutputRenameStyle = options::AutoNumericSuffix;
    o.OutputSortFiles = options::Alphabetic;
    o.LogMakeLog = 1;
    o.LogPath = out / "run.log";
    o.LogOutName = 1;
    o.HTMLLog = 1;
    o.HTMLWriteBMP = 1;
    test::WriteBmp(src / "a.bmp", 16, 16);
    test::WriteBmp(src / "b.bmp", 16, 16);
    for (const int threads : {1, 3}) {
        for (const char* name : {"a.bmp", "a1.bmp", "b.bmp", "run.log", "Thumbs0.htm"})
            std::filesystem::remove(out / name);
        NameTakingHost h;
        options::BatchOptions p = o;
        p.OpsThreads = threads;
        EXPECT_EQ(Run(p, h).processed, 2);
        EXPECT_TRUE(h.reports.empty());
        EXPECT_EQ(h.takenName, out / "a.bmp");
        EXPECT_EQ(test::ReadFileText(out / "a.bmp"), "another program's");
        EXPECT_EQ(test::ImageSize(out / "a1.bmp"), std::make_pair(8, 8));
        EXPECT_EQ(test::ImageSize(out / "b.bmp"), std::make_pair(8, 8));
        // The log and the page name the thumbnail where it is.
        EXPECT_EQ(test::ReadFileText(out / "run.log"),
                  "Output  : " + (out / "a1.bmp") + "  Output  : " + (out / "b.bmp") + "  ");
        const std::string page = test::ReadFileText(out / "Thumbs0.htm");
        EXPECT_NE(page.find("\"a1.bmp\""), std::string::npos) << page;
        EXPECT_EQ(page.find("\"a.bmp\""), std::string::npos) << page;
    }
}

}  // namespace
}  // namespace vig
