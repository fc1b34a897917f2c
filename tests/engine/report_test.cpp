#include "engine/report.h"

#include <gtest/gtest.h>

#include "engine/app_info.h"
#include "support/recording_host.h"

namespace vig {
namespace {

TEST(Report, MessageHasAFileLineOnlyWhenThereIsAFile) {
    EXPECT_EQ(engine::FormatReport("/in/a.jpg", 9, "File Process"),
              "Error : Invalid JPG file\nFile : /in/a.jpg\nContext : File Process");
    EXPECT_EQ(engine::FormatReport("", 60, "Main resize\nTurning Composite Off!"),
              "Error : Error #60\nContext : Main resize\nTurning Composite Off!");
}

TEST(Report, WindowShowsABoxAndAppendsToThePaneInCrLf) {
    test::RecordingHost host;
    host.answerCancel = true;
    EXPECT_TRUE(engine::ReportError(host, false, "f.bmp", 6, "File Process", true, nullptr));
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0],
              "Error : Invalid BMP file\nFile : f.bmp\nContext : File Process\n"
              "Press Cancel to stop this procedure");
    EXPECT_TRUE(host.cancelOffered[0]);
    EXPECT_EQ(host.pane,
              "Error : Invalid BMP file\r\nFile : f.bmp\r\nContext : File Process\r\n\r\n");

    // Without the cancel offer a Cancel answer cannot stop anything.
    EXPECT_FALSE(
        engine::ReportError(host, false, "", 50, "Stopping (Main Resize)", false, nullptr));
    EXPECT_EQ(host.reports[1],
              "Error : Can't create output directory\nContext : Stopping (Main Resize)");
    EXPECT_FALSE(host.cancelOffered[1]);
    EXPECT_FALSE(host.blinking);

    // Silent operation never asks and blinks the log button instead.
    EXPECT_FALSE(engine::ReportError(host, true, "x.png", 15, "File Process", true, nullptr));
    EXPECT_EQ(host.reports.size(), 2u);
    EXPECT_TRUE(host.blinking);
    EXPECT_EQ(host.pane.substr(host.pane.rfind("Error :")),
              "Error : Invalid PNG file\r\nFile : x.png\r\nContext : File Process\r\n\r\n");
}

TEST(Report, WithoutAWindowNobodyIsAskedAndNothingReachesThePane) {
    // The log and the headless host's output are checked through a batch
    // run and the command line.
    test::RecordingHost host(false);
    host.answerCancel = true;
    EXPECT_FALSE(engine::ReportError(host, false, "a", 2, "ctx", true, nullptr));
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(host.pane.empty());
    EXPECT_EQ(host.silentReports,
              std::vector<std::string>{"Error : Unable to open file\nFile : a\nContext : ctx"});
}

TEST(AppInfo, TitleIsMajorDotMinor) {
    EXPECT_EQ(engine::ApplicationTitle("4,4,0,1"), "Vignettor v4.4");
    EXPECT_EQ(engine::ApplicationTitle("5"), "Vignettor v5");
}

}  // namespace
}  // namespace vig
