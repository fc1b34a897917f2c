#include "engine/report.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "engine/app_info.h"
#include "engine/headless_host.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

TEST(Report, MessageHasAFileLineOnlyWhenThereIsAFile) {
    EXPECT_EQ(FormatReport("/in/a.jpg", 9, "File Process"),
              "Error : Invalid JPG file\nFile : /in/a.jpg\nContext : File Process");
    EXPECT_EQ(FormatReport("", 60, "Main resize\nTurning Composite Off!"),
              "Error : Error #60\nContext : Main resize\nTurning Composite Off!");
}

TEST(Report, PaneTextTurnsLineFeedsIntoCrLf) {
    EXPECT_EQ(PaneText("a\nb\n\nc"), "a\r\nb\r\n\r\nc\r\n\r\n");
    EXPECT_EQ(PaneText(""), "\r\n\r\n");
}

TEST(Report, WindowShowsABoxAndAppendsToThePane) {
    test::RecordingHost host;
    host.answerCancel = true;
    EXPECT_TRUE(ReportError(host, false, "f.bmp", 6, "File Process", true, nullptr));
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0],
              "Error : Invalid BMP file\nFile : f.bmp\nContext : File Process\n"
              "Press Cancel to stop this procedure");
    EXPECT_TRUE(host.cancelOffered[0]);
    EXPECT_EQ(host.pane,
              "Error : Invalid BMP file\r\nFile : f.bmp\r\nContext : File Process\r\n\r\n");

    // Without the cancel offer a Cancel answer cannot stop anything.
    EXPECT_FALSE(ReportError(host, false, "", 50, "Stopping (Main Resize)", false, nullptr));
    EXPECT_EQ(host.reports[1],
              "Error : Can't create output directory\nContext : Stopping (Main Resize)");
    EXPECT_FALSE(host.cancelOffered[1]);
    EXPECT_FALSE(host.blinking);
}

TEST(Report, SilentOperationNeverAsksAndBlinksTheLogButton) {
    test::RecordingHost host;
    host.answerCancel = true;
    EXPECT_FALSE(ReportError(host, true, "x.png", 15, "File Process", true, nullptr));
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(host.blinking);
    EXPECT_EQ(host.pane,
              "Error : Invalid PNG file\r\nFile : x.png\r\nContext : File Process\r\n\r\n");
}

TEST(Report, LogGetsTheMessageAndABlankLine) {
    test::TempDir dir;
    std::FILE* log = std::fopen((dir / "log.txt").c_str(), "w");
    ASSERT_NE(log, nullptr);
    test::RecordingHost host(false);
    EXPECT_FALSE(ReportError(host, false, "a", 2, "ctx", true, log));
    std::fclose(log);
    EXPECT_EQ(test::ReadFileText(dir / "log.txt"),
              "Error : Unable to open file\nFile : a\nContext : ctx\n\n");
    // No window: nobody is asked, nothing reaches the pane.
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(host.pane.empty());
    ASSERT_EQ(host.silentReports.size(), 1u);
}

TEST(Report, HeadlessHostWritesEachReportAndCountsThem) {
    test::TempDir dir;
    std::FILE* err = std::fopen((dir / "err.txt").c_str(), "w+");
    ASSERT_NE(err, nullptr);
    HeadlessHost host(err);
    EXPECT_FALSE(ReportError(host, false, "in.gif", 8, "File Process", true, nullptr));
    EXPECT_FALSE(ReportError(host, false, "", 54, "Main resize", true, nullptr));
    std::fclose(err);
    EXPECT_EQ(host.reportCount(), 2);
    const std::string text = test::ReadFileText(dir / "err.txt");
    EXPECT_NE(text.find("Error : Invalid GIF file\nFile : in.gif\nContext : File Process\n\n"),
              std::string::npos);
}

TEST(AppInfo, TitleIsMajorDotMinor) {
    EXPECT_EQ(ApplicationTitle("4.4.0.1"), "Vignettor v4.4");
    EXPECT_EQ(ApplicationTitle("4,4,0,1"), "Vignettor v4.4");
    EXPECT_EQ(ApplicationTitle("5"), "Vignettor v5");
    EXPECT_EQ(ApplicationTitle(), "Vignettor v4.4");
}

}  // namespace
}  // namespace vig
