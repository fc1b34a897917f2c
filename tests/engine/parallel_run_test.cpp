// A run with worker threads writes what a run of one thread writes: the
// same files with the same bytes, and tells the host the same things in the
// same order, for every output format and document, with failures, name
// collisions, stops and inputs the run itself replaces.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <map>

#include "engine/batch_engine.h"
#include "engine_test_util.h"
#include "support/colour_profiles.h"
#include "support/exif_jpeg.h"
#include "support/recording_host.h"
#include "support/tagged_pictures.h"

namespace vig {
namespace {

namespace fs = std::filesystem;
using test::RecordingHost;
using test::TempDir;

// Every file below a folder by relative path, with its bytes as far as
// they must match: the time PNG writers stamp into their files (tIME) and
// the start time in a log's header are left out.
using Tree = std::map<std::string, std::string>;

std::string WithoutPngTime(const std::string& bytes) {
    std::string out = bytes.substr(0, 8);
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const auto byte = [&](size_t i) { return static_cast<uint32_t>(uint8_t(bytes[at + i])); };
        const size_t length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        const size_t chunk = std::min(bytes.size() - at, length + 12);
        if (bytes.compare(at + 4, 4, "tIME") != 0) out += bytes.substr(at, chunk);
        at += chunk;
    }
    return out;
}

Tree ReadTree(const std::string& root) {
    Tree tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(e.path(), root).string();
        if (!e.is_regular_file()) {
            tree[relative + "/"] = "";
            continue;
        }
        std::string bytes = test::ReadFileText(e.path().string());
        if (bytes.rfind("\x89PNG", 0) == 0) bytes = WithoutPngTime(bytes);
        if (bytes.rfind("Vignettor Log\n", 0) == 0) {
            const size_t dateEnd = bytes.find('\n', 14);
            bytes.erase(14, dateEnd - 14);
        }
        tree[relative] = bytes;
    }
    return tree;
}

// The step at whose n-th showing the fake Cancel button is pressed.
struct StopAt {
    std::string step;
    int nth = 0;
};
StopAt gStopAt;
void StopAtNthStep(RecordingHost& h) {
    if (!h.steps.empty() && h.steps.back() == gStopAt.step &&
        std::count(h.steps.begin(), h.steps.end(), gStopAt.step) == gStopAt.nth)
        h.stop = true;
}

// A picture with something different in every corner and plenty of colours.
void WritePicture(const std::string& path, int w, int h, int format, int seed) {
    image::PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(w, h));
    uint8_t* p = block.data();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = static_cast<uint8_t>(x * 255 / w + seed * 40);
            p[1] = static_cast<uint8_t>(y * 255 / h);
            p[2] = static_cast<uint8_t>(128 + 100 * std::sin((x + 2 * y + seed) / 5.0));
        }
    image::CPxImage image;
    image.Adopt(std::move(block), w, h);
    ASSERT_EQ(image.Save(path, format), image::ErrNone) << path;
}

class ParallelRun : public ::testing::Test {
protected:
    // The inputs: every readable format, a name two of them share, files
    // that cannot be read among them, two levels of folders, and a JPEG
    // photo taken on its side.
    static void SetUpTestSuite() {
        pristine_ = new TempDir;
        const std::string in = *pristine_ / "src";
        test::MakeFolder(in);
        test::MakeFolder(in + "/sub");
        test::MakeFolder(in + "/sub/deeper");
        const struct {
            const char* name;
            int w, h, format;
        } files[] = {{"a.bmp", 37, 23, options::FormatBmp24},
                     {"a.jpg", 41, 30, options::FormatJpg},
                     {"b.png", 29, 44, options::FormatPng24},
                     {"d.gif", 33, 21, options::FormatGif},
                     {"e.tif", 25, 25, options::FormatTiff24},
                     {"f.pcx", 40, 19, options::FormatPcx24},
                     {"sub/g.jpg", 50, 31, options::FormatJpg},
                     {"sub/h.png", 31, 17, options::FormatPng24},
                     {"sub/deeper/i.bmp", 27, 39, options::FormatBmp24}};
        int seed = 0;
        for (const auto& f : files) WritePicture(in + "/" + f.name, f.w, f.h, f.format, ++seed);
        test::MakeFile(in + "/c_bad.jpg", "not a picture");
        test::MakeFile(in + "/sub/bad.gif", "GIF89a");
        // A large photo on its side: draft decoding and orientation apply.
        WritePicture(in + "/sub/photo.jpg", 320, 240, options::FormatJpg, 7);
        const auto jpeg = test::ReadFileBytes(in + "/sub/photo.jpg");
        test::WriteFileBytes(in + "/sub/photo.jpg",
                             test::WithApp1(jpeg, test::ExifOrientationBlock(6)));
        // Colour profiles: Display P3, and one cut short.
        const std::vector<uint8_t> p3 = test::DisplayP3Profile();
        const std::vector<uint8_t> patches =
            test::Patches({{200, 60, 50}, {60, 170, 80}, {40, 60, 160}}, 24);
        ASSERT_TRUE(test::WriteTaggedTiff(in + "/sub/p3.tif", patches, 72, 24, p3));
        ASSERT_TRUE(test::WriteTaggedJpeg(in + "/p3.jpg", patches, 72, 24, p3));
        ASSERT_TRUE(test::WriteTaggedJpeg(in + "/sub/cut.jpg", patches, 72, 24,
                                          test::Truncated(p3, p3.size() - 40)));
        WritePicture(*pristine_ / "logo.bmp", 9, 7, options::FormatBmp24, 3);
        test::MakeFolder(*pristine_ / "out");
        // Names a numbered run must step over.
        test::MakeFile(*pristine_ / "out/a.jpg", "taken");
        test::MakeFile(*pristine_ / "out/a1.jpg", "taken");
    }
    static void TearDownTestSuite() {
        delete pristine_;
        pristine_ = nullptr;
    }

    ParallelRun() {
        base.MainSrcPath = Work("src");
        base.MainDestPath = Work("out");
        base.MainWidth = 16;
        base.MainHeight = 12;
        base.OutputRecurseSrc = 1;
        base.OutputDuplicateSrcTree = 1;
        base.OutputSortFiles = options::Alphabetic;
        base.OutputRenameStyle = options::Overwrite;
        base.LogMakeLog = 1;
        base.LogPath = Work("out/run.log");
        base.LogHeader = 1;
        base.LogInputName = base.LogInputDims = base.LogOutName = base.LogOutputDims = 1;
        base.LogPNGText = 1;
    }

    std::string Work(const std::string& name) const { return work / name; }

    // One run from the pristine folders, always in the same place, so that
    // paths written into logs and pages are the same: what it left behind
    // and what the host was told.
    struct Outcome {
        Tree tree;
        std::vector<std::string> events, reports;
        engine::BatchSummary summary;
    };
    Outcome Run(options::BatchOptions o, int threads) {
        fs::remove_all(work.path());
        fs::copy(pristine_->path(), work.path(), fs::copy_options::recursive);
        o.OpsThreads = threads;
        RecordingHost host;
        if (!gStopAt.step.empty()) host.onPump = StopAtNthStep;
        engine::BatchEngine engine(o, host);
        Outcome r;
        r.summary = engine.BatchRun();
        r.tree = ReadTree(work.path());
        r.events = host.events;
        r.reports = host.reports;
        return r;
    }

    // Runs with one thread and with three and compares everything.
    void ExpectSameWithThreads(const options::BatchOptions& o, const std::string& what) {
        const Outcome one = Run(o, 1);
        const Outcome three = Run(o, 3);
        EXPECT_EQ(one.summary.processed, three.summary.processed) << what;
        EXPECT_EQ(one.summary.stopped, three.summary.stopped) << what;
        EXPECT_EQ(one.events, three.events) << what;
        EXPECT_EQ(one.reports, three.reports) << what;
        ASSERT_EQ(one.tree.size(), three.tree.size()) << what;
        for (const auto& [path, bytes] : one.tree) {
            const auto it = three.tree.find(path);
            ASSERT_NE(it, three.tree.end()) << what << ": " << path << " only with one thread";
            EXPECT_TRUE(it->second == bytes) << what << ": " << path << " differs";
        }
        lastOne = one;
    }

    static TempDir* pristine_;
    TempDir work;
    options::BatchOptions base;
    Outcome lastOne;
};

TempDir* ParallelRun::pristine_ = nullptr;

TEST_F(ParallelRun, EveryOutputFormatIsWrittenAlike) {
    for (int format = options::FormatSame24; format <= options::FormatGifGray; ++format) {
        options::BatchOptions o = base;
        o.MainOutputFormat = format;
        ExpectSameWithThreads(o, "format " + std::to_string(format));
    }
    // Both failures were met (in the same order, as compared above).
    ASSERT_EQ(lastOne.reports.size(), 2u);
    EXPECT_NE((lastOne.reports[0] + lastOne.reports[1]).find("/src/c_bad.jpg"), std::string::npos);
    EXPECT_NE((lastOne.reports[0] + lastOne.reports[1]).find("/sub/bad.gif"), std::string::npos);
}

TEST_F(ParallelRun, DocumentsAndFeaturesAreWrittenAlike) {
    const struct {
        const char* what;
        std::function<void(options::BatchOptions&)> set;
    } rows[] = {
        {"pages with source pages, table, links and both indexes",
         [](options::BatchOptions& o) {
             o.MainOutputFormat = options::FormatPng8;
             o.HTMLLog = o.HTMLTable = o.HTMLWriteTitles = o.HTMLMakeSrcLink = 1;
             o.HTMLMakeFileLink = o.HTMLMakeIndex = o.HTMLMakeSingleIndex = 1;
             o.HTMLWritePNG = o.HTMLWriteBMP = o.HTMLWriteTIFF = o.HTMLWritePCX = 1;
             o.HTMLMakeSrcPages = options::SourcePagesWithOutput;
             o.HTMLTableCols = 3;
             o.HTMLMaxImages = 4;
         }},
        {"source pages beside the inputs, all thumbnails numbered into one folder",
         [this](options::BatchOptions& o) {
             o.OutputDuplicateSrcTree = 0;
             o.OutputRenameStyle = options::AutoNumericSuffix;
             o.HTMLLog = o.HTMLMakeSrcLink = 1;
             o.HTMLMakeSrcPages = options::SourcePagesWithInput;
             o.LogPath = Work("run.log");
         }},
        {"sheets per folder",
         [](options::BatchOptions& o) {
             o.MainOutputFormat = options::FormatSame24;
             o.CompositeMakeComposite = 1;
             o.CompositeWriteToRoot = 0;
             o.CompositeRows = o.CompositeCols = 2;
         }},
        {"sheets in the root",
         [](options::BatchOptions& o) {
             o.CompositeMakeComposite = 1;
             o.CompositeCols = 3;
             o.CompositeRows = 1;
             o.CompositeFormat = options::FormatPng24;
         }},
        {"overlay, sharpening, tone curve and matte",
         [this](options::BatchOptions& o) {
             o.MainResizeMethod = options::FixedWidth;
             o.OverlayOverlay = 1;
             o.OverlayPath = Work("logo.bmp");
             o.OverlayPos = 5;
             o.OverlayOpacity = 0.5;
             o.ImageSharpen = 1;
             o.ImageEnhanceType = options::RaiseContrast;
             o.ImageMatte = 1;
         }},
        {"a missing user curve, reported for every file",
         [this](options::BatchOptions& o) {
             o.ImageEnhanceType = options::UserLut;
             o.ImageUserLUTPath = Work("no-curve.txt");
         }},
        {"thumbnails branching from the source folders",
         [](options::BatchOptions& o) {
             o.OutputBranchFromSrc = 1;
             o.HTMLLog = 1;
             o.HTMLMakeIndex = 1;
         }},
        {"draft decoding and upright photos",
         [](options::BatchOptions& o) {
             o.JPGDraftDecode = 1;
             o.ImageAutoOrient = 1;
             o.MainWidth = o.MainHeight = 40;
         }},
        {"thumbnails that replace later inputs",
         [this](options::BatchOptions& o) {
             o.MainDestPath = o.MainSrcPath;
             o.OutputDuplicateSrcTree = 0;
             o.MainOutputFormat = options::FormatJpg;
             o.LogPath = Work("run.log");
         }},
    };
    for (const auto& row : rows) {
        options::BatchOptions o = base;
        row.set(o);
        ExpectSameWithThreads(o, row.what);
    }
}

TEST_F(ParallelRun, ColourProfilesAndTheirWarningsAlike) {
    base.ImageColourManage = 1;
    ExpectSameWithThreads(base, "colour profiles converted");
    std::vector<std::string> warnings;
    for (const std::string& e : lastOne.events)
        if (e.rfind("warning:", 0) == 0) warnings.push_back(e);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("/sub/cut.jpg: Colour profile ignored: it could not be read"),
              std::string::npos)
        << warnings[0];
    EXPECT_TRUE(lastOne.reports.size() == 2u) << "the two unreadable files only";
}

TEST_F(ParallelRun, AStopEndsAfterTheSameFileWhateverTheThreads) {
    base.HTMLLog = 1;
    base.CompositeMakeComposite = 1;
    // During the fourth file's steps it is dropped; at the third save that
    // file is finished; nothing later is written either way.
    for (const StopAt& at : {StopAt{"Resizing", 4}, StopAt{"Saving", 3}}) {
        gStopAt = at;
        ExpectSameWithThreads(base, at.step);
        EXPECT_TRUE(lastOne.summary.stopped) << at.step;
        EXPECT_GE(lastOne.summary.processed, 3) << at.step;
        EXPECT_LT(lastOne.summary.processed, lastOne.summary.total) << at.step;
    }
    gStopAt = StopAt();
}

}  // namespace
}  // namespace vig
