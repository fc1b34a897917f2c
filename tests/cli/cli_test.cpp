#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_runner.h"
#include "engine/engine_test_util.h"
#include "support/temp_dir.h"

namespace vig::test {
namespace {

// Width and height from the first SOF marker of a JPEG file (0 x 0 when
// there is none).
std::pair<int, int> JpegSize(const std::string& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return {0, 0};
    size_t i = 2;
    while (i + 9 < b.size()) {
        if (b[i] != 0xFF) return {0, 0};
        const int marker = b[i + 1];
        const size_t len = static_cast<size_t>(b[i + 2] << 8 | b[i + 3]);
        if (marker >= 0xC0 && marker <= 0xC3)
            return {b[i + 7] << 8 | b[i + 8], b[i + 5] << 8 | b[i + 6]};
        i += 2 + len;
    }
    return {0, 0};
}

std::string Magic(const std::string& path, size_t n) {
    const std::string text = ReadFileText(path);
    return text.substr(0, n);
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CliRun : public ::testing::Test {
protected:
    CliRun() {
        MakeFolder(box.dir() / "in");
        MakeFolder(box.dir() / "out");
        WriteBmp(box.dir() / "in/a.bmp", 200, 100);
    }
    std::string In(const std::string& name) const { return box.dir() / ("in/" + name); }
    std::string Out(const std::string& name) const { return box.dir() / ("out/" + name); }
    CliSandbox box;
};

TEST(Cli, WithoutArgumentsPrintsUsageAndFails) {
    CliSandbox box;
    const RunResult r = box.Run({});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage"), std::string::npos);
    EXPECT_NE(r.err.find("Vignettor v4.4"), std::string::npos);
}

TEST(Cli, EveryStartRecordsTheProgramPath) {
    CliSandbox box;
    box.Run({});
    const std::string settings = ReadFileText(box.ConfigFile());
    EXPECT_NE(settings.find("[vignettor]"), std::string::npos);
    EXPECT_NE(settings.find("VignettorApp=" + std::string(VIG_PROGRAM)), std::string::npos);
}

TEST(Cli, HeadlessStartWritesNothingButTheProgramPath) {
    CliSandbox box;
    box.WriteSettings({"MainWidth=77"});
    box.Run({"/HIDE"});
    const std::string settings = ReadFileText(box.ConfigFile());
    EXPECT_NE(settings.find("MainWidth=77"), std::string::npos);
    EXPECT_EQ(settings.find("MainHeight"), std::string::npos)
        << "headless runs never save settings";
}

TEST_F(CliRun, UsageErrorsExitWithTwoAndProcessNothing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"/h"},
          {"/h", "/f"},
          {"/h", "/f", In("a.bmp")},
          {"/h", "/z", In("a.bmp"), Out("a.jpg")},
          {"/h", "/f", In("a.bmp"), Out("a.jpg"), "/s", "120"},
          {"/h", "/d", box.dir() / "in", box.dir() / "out", "/t+", "32/1/2000"},
          {"/h", "/d", box.dir() / "in", box.dir() / "out", "/eu"}}) {
        const RunResult r = box.Run(args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_NE(r.err.find("usage"), std::string::npos);
        EXPECT_TRUE(Names(box.dir() / "out").empty());
    }
    // Not headless: no window yet, so the usage text.
    EXPECT_EQ(box.Run({"/f", In("a.bmp"), Out("a.jpg")}).status, 2);
}

TEST_F(CliRun, SingleFileExampleMakesABestFitJpeg) {
    WriteBmp(In("small.bmp"), 60, 40);
    const RunResult r = box.Run(
        {"/h", "/f", In("small.bmp"), Out("a.jpg"), "/n", "/r", "0", "/o", "3", "/s", "120", "90"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(JpegSize(Out("a.jpg")), std::make_pair(120, 80)) << "enlarged to fit 120 x 90";
    // Without "/n" nothing is enlarged; "/r 6" keeps the size, "/r 9" is best fit.
    EXPECT_EQ(box.Run({"/h", "/f", In("small.bmp"), Out("b.jpg"), "/s", "120", "90"}).status, 0);
    EXPECT_EQ(JpegSize(Out("b.jpg")), std::make_pair(60, 40));
    EXPECT_EQ(
        box.Run({"/h", "/f", In("small.bmp"), Out("c.jpg"), "/r", "6", "/s", "10", "10"}).status,
        0);
    EXPECT_EQ(JpegSize(Out("c.jpg")), std::make_pair(60, 40));
    EXPECT_EQ(
        box.Run({"/h", "/f", In("small.bmp"), Out("d.jpg"), "/r", "9", "/s", "30", "30"}).status,
        0);
    EXPECT_EQ(JpegSize(Out("d.jpg")), std::make_pair(30, 20));
}

TEST_F(CliRun, SingleFileUsesTheOutputPathAsGiven) {
    // "/o 14" is GIF; the naming switches and the letter case do not apply.
    const std::string out = box.dir() / "out/with blank.X";
    EXPECT_EQ(box.Run({"/h", "/f", In("a.bmp"), out, "/o", "14", "/np", "p_", "/cu"}).status, 0);
    EXPECT_EQ(Magic(out, 4), "GIF8");
    EXPECT_EQ(Names(box.dir() / "out"), (std::vector<std::string>{"with blank.X"}));
}

TEST_F(CliRun, FailuresAreReportedOnStderrWithStatusOne) {
    MakeFile(In("bad.bmp"), "not a bitmap");
    RunResult r = box.Run({"/h", "/f", In("bad.bmp"), Out("bad.jpg")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File : " + In("bad.bmp") + "\nContext : Single File Start"),
              std::string::npos);
    EXPECT_FALSE(FileExists(Out("bad.jpg")));
    // A switch at position 3 is a path.
    r = box.Run({"/h", "/f", "/n", Out("x.jpg"), "/n"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File : /n\n"), std::string::npos);
    // A missing overlay is reported and switched off; the file is still made.
    box.WriteSettings({"OverlayOverlay=1", "OverlayPath=" + In("none.bmp")});
    r = box.Run({"/h", "/f", In("a.bmp"), Out("o.jpg")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Single File Start, Overlay Load\nSetting Overlay OFF"),
              std::string::npos);
    EXPECT_TRUE(FileExists(Out("o.jpg")));
}

TEST_F(CliRun, DirectoryRunNamesEveryFileAndPrintsTheSummary) {
    WriteBmp(In("B.bmp"), 30, 30);
    RunResult r = box.Run({"/hide", "/D", box.dir() / "in", box.dir() / "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Processed 2 of 2 files\n");
    EXPECT_EQ(Names(box.dir() / "out"), (std::vector<std::string>{"B.jpg", "a.jpg"}));
    EXPECT_EQ(JpegSize(Out("a.jpg")), std::make_pair(100, 50)) << "the stored 100 x 100 best fit";

    // Without a naming switch same-named files are overwritten.
    r = box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/s", "20", "20"});
    EXPECT_EQ(Names(box.dir() / "out"), (std::vector<std::string>{"B.jpg", "a.jpg"}));
    EXPECT_EQ(JpegSize(Out("a.jpg")), std::make_pair(20, 10));

    box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/nn"});
    box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/np", "p_", "/cl"});
    box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/ns", "_s", "/cu", "/o", "9"});
    EXPECT_EQ(Names(box.dir() / "out"),
              (std::vector<std::string>{"A_S.PNG", "B.jpg", "B1.jpg", "B_S.PNG", "a.jpg", "a1.jpg",
                                        "p_a.jpg", "p_b.jpg"}));
    EXPECT_EQ(Magic(Out("A_S.PNG"), 4), "\x89PNG");
}

TEST_F(CliRun, UpperCaseNamesNeverOverwriteWithAutoNumbering) {
    MakeFile(Out("A.JPG"), "precious");
    EXPECT_EQ(box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/nn", "/cu"}).status, 0);
    EXPECT_EQ(ReadFileText(Out("A.JPG")), "precious");
    EXPECT_TRUE(FileExists(Out("A1.JPG")));
}

TEST_F(CliRun, ResetSwitchIsLowerCaseOnlyAndKeepsTheFolders) {
    box.WriteSettings(
        {"MainWidth=30", "MainHeight=30", "MainSrcPath=/nonexistent", "OutputRenameStyle=3"});
    EXPECT_EQ(box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/X"}).status, 0);
    EXPECT_EQ(JpegSize(Out("a.jpg")), std::make_pair(30, 15)) << "/X is no reset";
    const RunResult r = box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/x", "/nn"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n") << "the source folder stays the one given";
    EXPECT_EQ(JpegSize(Out("a1.jpg")), std::make_pair(100, 50)) << "reset size 100 x 100";
}

TEST_F(CliRun, DateFilterSwitches) {
    SetModified(In("a.bmp"), 946684800 + 86400 * 400);  // early 2001
    WriteBmp(In("old.bmp"), 10, 10);
    SetModified(In("old.bmp"), 946684800 - 86400 * 400);  // late 1998
    RunResult r = box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/t+", "1/1/2000"});
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n");
    EXPECT_EQ(Names(box.dir() / "out"), (std::vector<std::string>{"a.jpg"}));
    r = box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out", "/t-", "31/2/1999"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n");
    EXPECT_TRUE(FileExists(Out("old.jpg")));
}

TEST_F(CliRun, DirectoryRunReportsFailedFilesAndGoesOn) {
    MakeFile(In("c.bmp"), "junk");
    const RunResult r = box.Run({"/h", "/d", box.dir() / "in", box.dir() / "out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Processed 2 of 2 files\n");
    EXPECT_NE(r.err.find("File : " + In("c.bmp") + "\nContext : File Process"), std::string::npos);
    EXPECT_TRUE(FileExists(Out("a.jpg")));
    EXPECT_EQ(box.Run({"/h", "/d", box.dir() / "missing", box.dir() / "out"}).status, 1);
}

}  // namespace
}  // namespace vig::test
