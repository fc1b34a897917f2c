#include "engine/source_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "engine_test_util.h"
#include "support/recording_host.h"

namespace vig {
namespace {

using test::MakeFile;
using test::MakeFolder;
using test::RecordingHost;
using test::TempDir;

FileList Scan(RecordingHost& host, const BatchOptions& o, const std::string& folder, bool recurse,
              const std::string& filter = "*") {
    FileList list{"stale entry"};
    ScanSourceFolder(host, o, folder, &list, recurse, filter, true, true, true, true, true, true);
    return list;
}

TEST(SourceScan, SubfoldersFirstThenTheSourceFolderInSearchOrder) {
    TempDir dir;
    MakeFile(dir / "a.jpg");
    MakeFile(dir / "b.bmp");
    MakeFolder(dir / "X");
    MakeFile(dir / "X/x.png");
    MakeFolder(dir / "X/Y");
    MakeFile(dir / "X/Y/y.jpg");
    RecordingHost host;
    BatchOptions o;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"X/x.png", "X/Y/y.jpg", "b.bmp", "a.jpg"}));
    EXPECT_EQ(host.steps.front(), "Scanning for images");
    EXPECT_EQ(host.steps.back(), "Found 4 files\n");
    EXPECT_GT(host.pumps, 0);
    // Recursion off: only the source folder.
    EXPECT_EQ(Scan(host, o, dir.path(), false), (FileList{"b.bmp", "a.jpg"}));
}

TEST(SourceScan, ExtensionAndNameFiltersIgnoreCaseAndSkipFolders) {
    TempDir dir;
    for (const char* name : {"img1.JPG", "IMG2.jpg", "photo.jpg", "img3.jpeg", "img4.png",
                             "img5.gif", "img6.tif", "img7.pcx", "img8.bmp", "img9.txt"})
        MakeFile(dir / name);
    MakeFolder(dir / "img0.jpg");  // a folder matching the pattern is not a file
    RecordingHost host;
    BatchOptions o;
    FileList list;
    ScanSourceFolder(host, o, dir.path(), &list, false, "img*", false, false, false, false, true,
                     false);
    EXPECT_EQ(list, (FileList{"img1.JPG", "IMG2.jpg"}));
    // Every extension, in the search order bmp, png, gif, jpg, tif, pcx.
    EXPECT_EQ(Scan(host, o, dir.path(), false, "img?"),
              (FileList{"img8.bmp", "img4.png", "img5.gif", "img1.JPG", "IMG2.jpg", "img6.tif",
                        "img7.pcx"}));
    // Only the enabled searches run.
    ScanSourceFolder(host, o, dir.path(), &list, false, "*", false, true, false, false, false,
                     true);
    EXPECT_EQ(list, (FileList{"img5.gif", "img7.pcx"}));
}

TEST(SourceScan, WildcardMatching) {
    EXPECT_TRUE(MatchesWildcard("*.jpg", "a.b.JPG"));
    EXPECT_TRUE(MatchesWildcard("*.jpg", ".jpg"));
    EXPECT_FALSE(MatchesWildcard("*.jpg", "a.jpg.png"));
    EXPECT_TRUE(MatchesWildcard("a?c*.*", "abcdef.x"));
    EXPECT_FALSE(MatchesWildcard("a?c", "ac"));
    EXPECT_TRUE(MatchesWildcard("**a*b*c*", "xxaxxbxxc"));
    // A pattern of many stars against a long name stays fast.
    EXPECT_FALSE(MatchesWildcard(std::string(200, '*') + "z", std::string(20000, 'a')));
}

TEST(SourceScan, DateFilterDropsTheBoundarySecondEitherWay) {
    TempDir dir;
    const int64_t date = 1000000000;
    MakeFile(dir / "before.jpg");
    MakeFile(dir / "exact.jpg");
    MakeFile(dir / "after.jpg");
    test::SetModified(dir / "before.jpg", date - 1);
    test::SetModified(dir / "exact.jpg", date);
    test::SetModified(dir / "after.jpg", date + 1);
    RecordingHost host;
    BatchOptions o;
    o.OutputDateFilter = 1;
    o.OutputDateDate = date;
    o.OutputDateFilterBefore = 1;
    EXPECT_EQ(Scan(host, o, dir.path(), false), (FileList{"before.jpg"}));
    o.OutputDateFilterBefore = 0;
    EXPECT_EQ(Scan(host, o, dir.path(), false), (FileList{"after.jpg"}));
    o.OutputDateFilter = 0;
    EXPECT_EQ(Scan(host, o, dir.path(), false).size(), 3u);
}

TEST(SourceScan, SortModesWorkPerFolderAndKeepEqualsInOrder) {
    TempDir dir;
    MakeFolder(dir / "s");
    for (const char* name : {"c.bmp", "B.png", "a.jpg", "s/z.bmp", "s/y.jpg"}) MakeFile(dir / name);
    test::SetModified(dir / "c.bmp", 300);
    test::SetModified(dir / "B.png", 100);
    test::SetModified(dir / "a.jpg", 300);
    test::SetModified(dir / "s/z.bmp", 50);
    test::SetModified(dir / "s/y.jpg", 60);
    RecordingHost host;
    BatchOptions o;
    o.OutputSortFiles = NoSort;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"s/z.bmp", "s/y.jpg", "c.bmp", "B.png", "a.jpg"}));
    o.OutputSortFiles = Alphabetic;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"s/y.jpg", "s/z.bmp", "a.jpg", "B.png", "c.bmp"}));
    o.OutputSortFilesDescending = 1;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"s/z.bmp", "s/y.jpg", "c.bmp", "B.png", "a.jpg"}));
    // By date: c.bmp and a.jpg share a time and keep their search order both ways.
    o.OutputSortFiles = ByDate;
    o.OutputSortFilesDescending = 0;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"s/z.bmp", "s/y.jpg", "B.png", "c.bmp", "a.jpg"}));
    o.OutputSortFilesDescending = 1;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"s/y.jpg", "s/z.bmp", "c.bmp", "a.jpg", "B.png"}));
}

TEST(SourceScan, FolderNamesEqualIgnoringCaseKeepTheirCollectionOrder) {
    TempDir dir;
    for (const char* f : {"b", "B", "a", "a/Z", "a/z", "a0"}) MakeFolder(dir / f);
    RecordingHost host;
    BatchOptions o;
    std::vector<std::string> list;
    CollectSubfolders(host, o, dir.path(), &list);
    // Children before their parent; within a folder byte order for names
    // equal ignoring case.
    EXPECT_EQ(list, (std::vector<std::string>{"a/Z", "a/z", "a", "a0", "B", "b"}));
    for (const char* f : {"a/Z/1.jpg", "a/z/2.jpg", "B/3.jpg", "b/4.jpg", "5.jpg", "a0/6.jpg"})
        MakeFile(dir / f);
    // The separator sorts as a backslash would: a0 (digit) before a's children.
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"a0/6.jpg", "a/Z/1.jpg", "a/z/2.jpg", "B/3.jpg", "b/4.jpg", "5.jpg"}));
    EXPECT_TRUE(LessIgnoringCase("X0", "x/y"));
    EXPECT_TRUE(LessIgnoringCase("x/y", "X_"));
}

TEST(SourceScan, LinksBackUpTheTreeAreNotFollowed) {
    TempDir dir;
    MakeFolder(dir / "sub");
    MakeFile(dir / "sub/a.jpg");
    ASSERT_EQ(symlink("..", (dir / "sub/up").c_str()), 0);
    ASSERT_EQ(symlink(".", (dir / "self").c_str()), 0);
    RecordingHost host;
    BatchOptions o;
    EXPECT_EQ(Scan(host, o, dir.path(), true), (FileList{"sub/a.jpg"}));
}

TEST(SourceScan, LinksBetweenSiblingsLeadIntoAFolderOnlyOnce) {
    // Every folder links to every other: following each order of links
    // would list n! paths. A link is followed only into a folder not yet
    // entered; real folders are always entered.
    TempDir dir;
    for (const char* d : {"d1", "d2", "d3"}) {
        MakeFolder(dir / d);
        MakeFile(dir / (std::string(d) + "/" + d + ".bmp"));
        for (const char* t : {"d1", "d2", "d3"}) {
            if (std::string(d) == t) continue;
            ASSERT_EQ(symlink((std::string("../") + t).c_str(),
                              (dir / (std::string(d) + "/l" + (t + 1))).c_str()),
                      0);
        }
    }
    RecordingHost host;
    BatchOptions o;
    EXPECT_EQ(Scan(host, o, dir.path(), true),
              (FileList{"d1/d1.bmp", "d1/l2/d2.bmp", "d1/l2/l3/d3.bmp", "d2/d2.bmp", "d3/d3.bmp"}));
}

TEST(SourceScan, UnreadableSourceFolderIsReportedWithTheCurrentFolder) {
    TempDir dir;
    RecordingHost host;
    BatchOptions o;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_TRUE(Scan(host, o, dir / "missing", true).empty());
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0], std::string("Error : Can't change folder\nFile : ") + cwd +
                                   "\nContext : find files in dir");
    EXPECT_FALSE(host.cancelOffered[0]);
}

TEST(SourceScan, CreateOutputTreeCopiesTheFolderStructure) {
    TempDir src, out;
    for (const char* f : {"b", "a", "a/deep", "a/deep/er"}) MakeFolder(src / f);
    MakeFile(src / "a/file.jpg");
    RecordingHost host;
    BatchOptions o;
    EXPECT_TRUE(CreateOutputTree(host, o, src.path(), out.path()));
    for (const char* f : {"a", "a/deep", "a/deep/er", "b"})
        EXPECT_TRUE(test::FileExists(out / f)) << f;
    EXPECT_FALSE(test::FileExists(out / "a/file.jpg"));
    EXPECT_EQ(host.steps, (std::vector<std::string>{"Reading source tree", "Creating dest tree"}));
    EXPECT_EQ(host.details.back(), out / "b");
    // Running again finds them all existing: no report.
    EXPECT_TRUE(CreateOutputTree(host, o, src.path(), out.path()));
    EXPECT_TRUE(host.reports.empty());
}

TEST(SourceScan, CreateOutputTreeStopsAtTheFirstFolderItCannotCreate) {
    TempDir src, out;
    for (const char* f : {"a", "b", "c"}) MakeFolder(src / f);
    MakeFile(out / "b");  // a file where the folder b should go
    RecordingHost host;
    BatchOptions o;
    EXPECT_TRUE(CreateOutputTree(host, o, src.path(), out.path()));
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0], "Error : Can't create output directory\nFile : " + (out / "b") +
                                   "\nContext : create output tree");
    EXPECT_TRUE(test::FileExists(out / "a"));
    EXPECT_FALSE(test::FileExists(out / "c"));
    // A source folder that cannot be entered fails the whole operation.
    EXPECT_FALSE(CreateOutputTree(host, o, src / "none", out.path()));
}

}  // namespace
}  // namespace vig
