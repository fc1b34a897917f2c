#include "engine/source_scan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine_test_util.h"
#include "image/codec_table.h"
#include "support/recording_host.h"

namespace vig {
namespace {

using test::FileExists;
using test::MakeFile;
using test::MakeFolder;
using test::SetModified;

const std::vector<int> kEveryFormat = {image::InputJpeg, image::InputBmp,  image::InputPng,
                                       image::InputGif,  image::InputTiff, image::InputPcx,
                                       image::InputHeif, image::InputAvif, image::InputWebp};

class SourceScan : public ::testing::Test {
protected:
    // Names ending in '/' become folders, the others files.
    void Make(std::initializer_list<std::string> names) {
        for (const std::string& n : names) {
            if (n.back() == '/')
                MakeFolder(dir / n.substr(0, n.size() - 1));
            else
                MakeFile(dir / n);
        }
    }
    engine::FileList Scan(bool recurse, const std::string& filter = "*") {
        engine::FileList list{"stale entry"};
        engine::ScanSourceFolder(host, o, dir.path(), &list, recurse, filter, kEveryFormat);
        return list;
    }

    test::TempDir dir;
    test::RecordingHost host;
    options::BatchOptions o;
};

TEST_F(SourceScan, SubfoldersFirstThenTheSourceFolderInSearchOrder) {
    Make({"a.jpg", "b.bmp", "X/", "X/x.png", "X/Y/", "X/Y/y.jpg"});
    EXPECT_EQ(Scan(true), (engine::FileList{"X/x.png", "X/Y/y.jpg", "b.bmp", "a.jpg"}));
    EXPECT_EQ(host.steps.front(), "Scanning for images");
    EXPECT_EQ(host.steps.back(), "Found 4 files\n");
    EXPECT_GT(host.pumps, 0);
    // Recursion off: only the source folder.
    EXPECT_EQ(Scan(false), (engine::FileList{"b.bmp", "a.jpg"}));
}

TEST_F(SourceScan, ExtensionAndNameFiltersIgnoreCaseAndSkipWhatIsNotAFile) {
    Make({"img1.JPG", "IMG2.jpg", "photo.jpg", "img3.jpeg", "img4.png", "img5.gif", "img6.tif",
          "img7.pcx", "img8.bmp", "img9.txt", "img0.jpg/", "imga.HEIC", "imgb.heif", "imgc.Hif",
          "imgd.AVIF", "imge.webp", "imgf.WebP", "imgg.heics", "imgh.avifs"});
    // A pipe named like an image would block the run that opens it.
    ASSERT_EQ(mkfifo((dir / "imgp.jpg").c_str(), 0600), 0);
    engine::FileList list;
    engine::ScanSourceFolder(host, o, dir.path(), &list, false, "img*", {image::InputJpeg});
    EXPECT_EQ(list, (engine::FileList{"img1.JPG", "IMG2.jpg"}));
    // Every extension, in the search order bmp, png, gif, jpg, tif, pcx, heic,
    // heif, hif, avif, webp.
    EXPECT_EQ(Scan(false, "img?"),
              (engine::FileList{"img8.bmp", "img4.png", "img5.gif", "img1.JPG", "IMG2.jpg",
                                "img6.tif", "img7.pcx", "imga.HEIC", "imgb.heif", "imgc.Hif",
                                "imgd.AVIF", "imge.webp", "imgf.WebP"}));
    // Only the enabled searches run.
    engine::ScanSourceFolder(host, o, dir.path(), &list, false, "*",
                             {image::InputGif, image::InputPcx});
    EXPECT_EQ(list, (engine::FileList{"img5.gif", "img7.pcx"}));
    engine::ScanSourceFolder(host, o, dir.path(), &list, false, "*",
                             {image::InputHeif, image::InputWebp});
    EXPECT_EQ(list,
              (engine::FileList{"imga.HEIC", "imgb.heif", "imgc.Hif", "imge.webp", "imgf.WebP"}));
}

// Each check box of the format filter lets its formats through.
TEST(SourceScanFilter, EveryFlagOfTheFormatFilterSelectsItsFormat) {
    const struct {
        int options::BatchOptions::*flag;
        int format;
    } rows[] = {
        {&options::BatchOptions::OutputFilterJPG, image::InputJpeg},
        {&options::BatchOptions::OutputFilterBMP, image::InputBmp},
        {&options::BatchOptions::OutputFilterPNG, image::InputPng},
        {&options::BatchOptions::OutputFilterGIF, image::InputGif},
        {&options::BatchOptions::OutputFilterTIF, image::InputTiff},
        {&options::BatchOptions::OutputFilterPCX, image::InputPcx},
        {&options::BatchOptions::OutputFilterHEIF, image::InputHeif},
        {&options::BatchOptions::OutputFilterAVIF, image::InputAvif},
        {&options::BatchOptions::OutputFilterWEBP, image::InputWebp},
    };
    options::BatchOptions none;
    for (const auto& r : rows) none.*r.flag = 0;
    EXPECT_TRUE(engine::FilteredInputFormats(none).empty());
    for (const auto& r : rows) {
        options::BatchOptions o = none;
        o.*r.flag = 1;
        EXPECT_EQ(engine::FilteredInputFormats(o), std::vector<int>{r.format}) << r.format;
        o.*r.flag = 2;  // a flag is on only when it holds 1
        EXPECT_TRUE(engine::FilteredInputFormats(o).empty()) << r.format;
    }
    EXPECT_EQ(engine::FilteredInputFormats(options::BatchOptions()).size(), std::size(rows));
}

TEST(SourceScanWildcard, StarsQuestionMarksAndCase) {
    EXPECT_TRUE(engine::MatchesWildcard("*.jpg", "a.b.JPG"));
    EXPECT_TRUE(engine::MatchesWildcard("*.jpg", ".jpg"));
    EXPECT_FALSE(engine::MatchesWildcard("*.jpg", "a.jpg.png"));
    EXPECT_TRUE(engine::MatchesWildcard("a?c*.*", "abcdef.x"));
    EXPECT_FALSE(engine::MatchesWildcard("a?c", "ac"));
    EXPECT_TRUE(engine::MatchesWildcard("**a*b*c*", "xxaxxbxxc"));
    // A pattern of many stars against a long name stays fast.
    EXPECT_FALSE(engine::MatchesWildcard(std::string(200, '*') + "z", std::string(20000, 'a')));
}

TEST_F(SourceScan, DateFilterDropsTheBoundarySecondEitherWay) {
    const int64_t date = 1000000000;
    Make({"before.jpg", "exact.jpg", "after.jpg"});
    SetModified(dir / "before.jpg", date - 1);
    SetModified(dir / "exact.jpg", date);
    SetModified(dir / "after.jpg", date + 1);
    o.OutputDateDate = date;
    o.OutputDateFilterBefore = 1;
    EXPECT_EQ(Scan(false).size(), 3u) << "filter off";
    o.OutputDateFilter = 1;
    EXPECT_EQ(Scan(false), (engine::FileList{"before.jpg"}));
    o.OutputDateFilterBefore = 0;
    EXPECT_EQ(Scan(false), (engine::FileList{"after.jpg"}));
}

TEST_F(SourceScan, SortModesWorkPerFolderAndKeepEqualsInOrder) {
    Make({"s/", "c.bmp", "B.png", "a.jpg", "s/z.bmp", "s/y.jpg"});
    for (const auto& [name, time] : {std::pair<const char*, int64_t>{"c.bmp", 300},
                                     {"B.png", 100},
                                     {"a.jpg", 300},
                                     {"s/z.bmp", 50},
                                     {"s/y.jpg", 60}})
        SetModified(dir / name, time);
    // c.bmp and a.jpg share a time and keep their search order both ways.
    const struct {
        int mode, descending;
        engine::FileList expected;
    } rows[] = {
        {options::NoSort, 0, {"s/z.bmp", "s/y.jpg", "c.bmp", "B.png", "a.jpg"}},
        {options::Alphabetic, 0, {"s/y.jpg", "s/z.bmp", "a.jpg", "B.png", "c.bmp"}},
        {options::Alphabetic, 1, {"s/z.bmp", "s/y.jpg", "c.bmp", "B.png", "a.jpg"}},
        {options::ByDate, 0, {"s/z.bmp", "s/y.jpg", "B.png", "c.bmp", "a.jpg"}},
        {options::ByDate, 1, {"s/y.jpg", "s/z.bmp", "c.bmp", "a.jpg", "B.png"}},
    };
    for (const auto& row : rows) {
        o.OutputSortFiles = row.mode;
        o.OutputSortFilesDescending = row.descending;
        EXPECT_EQ(Scan(true), row.expected) << row.mode << " " << row.descending;
    }
}

TEST_F(SourceScan, FolderNamesEqualIgnoringCaseKeepTheirCollectionOrder) {
    Make({"b/", "B/", "a/", "a/Z/", "a/z/", "a0/"});
    std::vector<std::string> list;
    engine::CollectSubfolders(host, o, dir.path(), &list);
    // Children before their parent; within a folder byte order for names
    // equal ignoring case.
    EXPECT_EQ(list, (std::vector<std::string>{"a/Z", "a/z", "a", "a0", "B", "b"}));
    Make({"a/Z/1.jpg", "a/z/2.jpg", "B/3.jpg", "b/4.jpg", "5.jpg", "a0/6.jpg"});
    // The separator sorts as a backslash would: a0 (digit) before a's children.
    EXPECT_EQ(Scan(true), (engine::FileList{"a0/6.jpg", "a/Z/1.jpg", "a/z/2.jpg", "B/3.jpg",
                                            "b/4.jpg", "5.jpg"}));
    EXPECT_TRUE(engine::LessIgnoringCase("X0", "x/y"));
    EXPECT_TRUE(engine::LessIgnoringCase("x/y", "X_"));
}

TEST_F(SourceScan, LinksLeadIntoAFolderOnlyOnceAndNeverBackUp) {
    // Links back up the tree would never end; links between siblings,
    // followed in every order, would list n! paths. A link is followed only
    // into a folder not yet entered; real folders are always entered.
    ASSERT_EQ(symlink(".", (dir / "self").c_str()), 0);
    for (const std::string d : {"d1", "d2", "d3"}) {
        Make({d + "/", d + "/" + d + ".bmp"});
        ASSERT_EQ(symlink("..", (dir / (d + "/up")).c_str()), 0);
        for (const std::string t : {"d1", "d2", "d3"}) {
            if (d != t) {
                ASSERT_EQ(symlink(("../" + t).c_str(), (dir / (d + "/l" + t[1])).c_str()), 0);
            }
        }
    }
    EXPECT_EQ(Scan(true), (engine::FileList{"d1/d1.bmp", "d1/l2/d2.bmp", "d1/l2/l3/d3.bmp",
                                            "d2/d2.bmp", "d3/d3.bmp"}));
}

TEST_F(SourceScan, SourceFolderThatCannotBeEnteredIsReportedByItsName) {
    engine::FileList list{"stale entry"};
    engine::ScanSourceFolder(host, o, dir / "missing", &list, true, "*", kEveryFormat);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(engine::CreateOutputTree(host, o, dir / "missing", dir / "out"));
    const std::string error = "Error : Can't change folder\nFile : " + (dir / "missing");
    EXPECT_EQ(host.reports, (std::vector<std::string>{error + "\nContext : find files in dir",
                                                      error + "\nContext : create output tree"}));
    EXPECT_EQ(host.cancelOffered, (std::vector<bool>{false, false}));
}

TEST_F(SourceScan, CreateOutputTreeCopiesTheFoldersUpToTheFirstItCannotCreate) {
    Make({"src/", "src/b/", "src/a/", "src/a/deep/", "src/a/deep/er/", "src/a/file.jpg", "src/c/",
          "out/"});
    EXPECT_TRUE(engine::CreateOutputTree(host, o, dir / "src", dir / "out"));
    for (const char* f : {"out/a", "out/a/deep", "out/a/deep/er", "out/b", "out/c"})
        EXPECT_TRUE(FileExists(dir / f)) << f;
    EXPECT_FALSE(FileExists(dir / "out/a/file.jpg"));
    EXPECT_EQ(host.steps, (std::vector<std::string>{"Reading source tree", "Creating dest tree"}));
    EXPECT_EQ(host.details.back(), dir / "out/c");
    // Running again finds them all existing: no report.
    EXPECT_TRUE(engine::CreateOutputTree(host, o, dir / "src", dir / "out"));
    EXPECT_TRUE(host.reports.empty());

    // A file where the folder b should go: reported, and c is not made.
    Make({"out2/", "out2/b"});
    EXPECT_TRUE(engine::CreateOutputTree(host, o, dir / "src", dir / "out2"));
    EXPECT_EQ(host.reports,
              (std::vector<std::string>{"Error : Can't create output directory\nFile : " +
                                        (dir / "out2/b") + "\nContext : create output tree"}));
    EXPECT_TRUE(FileExists(dir / "out2/a/deep/er"));
    EXPECT_FALSE(FileExists(dir / "out2/c"));
}

}  // namespace
}  // namespace vig
