#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <ctime>

namespace vig {
namespace {

using Args = std::vector<std::string>;

// Program, headless word, mode and the two paths, then the switches.
Args Line(const std::string& mode, const Args& switches) {
    Args a{"vignettor", "/h", mode, "in", "out"};
    a.insert(a.end(), switches.begin(), switches.end());
    return a;
}

int64_t LocalMidnight(int day, int month, int year) {
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&tm));
}

TEST(CommandLine, CodeTablesAndNumbers) {
    EXPECT_EQ(ResizeMethodFromCode(1), FixedWidth);
    EXPECT_EQ(ResizeMethodFromCode(6), NoResize);
    EXPECT_EQ(ResizeMethodFromCode(9), BestFit);
    EXPECT_EQ(OutputFormatFromCode(13), 14);
    EXPECT_EQ(OutputFormatFromCode(14), FormatGif);
    EXPECT_EQ(OutputFormatFromCode(16), FormatPcx24);
    EXPECT_EQ(OutputFormatFromCode(19), FormatSame24);
    EXPECT_EQ(TextToInt("  -7x"), -7);
    EXPECT_EQ(TextToInt("abc"), 0);
    EXPECT_EQ(TextToInt("99999999999999999999"), 2147483647);
}

TEST(CommandLine, DatesAreDayMonthYearAtLocalMidnight) {
    int64_t t = 0;
    ASSERT_TRUE(ParseDate("5/6/2001", &t));
    EXPECT_EQ(t, LocalMidnight(5, 6, 2001));
    // Only the day range is checked; the calendar rolls 31 February over.
    ASSERT_TRUE(ParseDate("31/2/1999", &t));
    EXPECT_EQ(t, LocalMidnight(3, 3, 1999));
    EXPECT_TRUE(ParseDate("1/1/2000 and more", &t));
    for (const char* bad : {"0/1/2000", "32/1/2000", "1/0/2000", "1/13/2000", "1/2", "1-2-2000", "",
                            "a/b/c", "1/1/", "1//2000", "1/1/99999999999"})
        EXPECT_FALSE(ParseDate(bad, &t)) << bad;
}

TEST(CommandLine, ExampleOfTheExtension) {
    BatchOptions o;
    ASSERT_TRUE(
        ParseCommandOptions(Line("/f", {"/n", "/r", "0", "/o", "3", "/s", "120", "90"}), false, o));
    EXPECT_EQ(o.MainEnlarge, 1);
    EXPECT_EQ(o.MainResizeMethod, BestFit);
    EXPECT_EQ(o.MainOutputFormat, FormatJpg);
    EXPECT_EQ(o.MainWidth, 120);
    EXPECT_EQ(o.MainHeight, 90);
}

TEST(CommandLine, SwitchesCountFromTheFifthArgumentAndMatchExactly) {
    BatchOptions o;
    o.MainWidth = 33;
    // "/n" at positions 3 and 4 are paths; "/N" and "/X" are no switches.
    ASSERT_TRUE(ParseCommandOptions({"vignettor", "/h", "/f", "/n", "/x", "/N", "/X"}, false, o));
    EXPECT_EQ(o.MainEnlarge, 0);
    EXPECT_EQ(o.MainWidth, 33);
    // Only the first occurrence counts.
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/v", "5", "/v", "9"}), false, o));
    EXPECT_EQ(o.ImageSharpen, 1);
    EXPECT_EQ(o.ImageSharpenLevel, 5);
}

TEST(CommandLine, ResetComesFirst) {
    BatchOptions o;
    o.MainWidth = 33;
    o.OutputFilterGIF = 1;
    o.OpsSilentOperation = 1;
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/s", "50", "60", "/x"}), false, o));
    EXPECT_EQ(o.MainWidth, 50) << "switches apply after the reset";
    EXPECT_EQ(o.OutputFilterGIF, 0) << "reset value";
    EXPECT_EQ(o.OpsSilentOperation, 1);
}

TEST(CommandLine, GroupsTakeTheFirstSwitchInTheirOrder) {
    BatchOptions o;
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/eu", "c.txt", "/ec", "/ed"}), false, o));
    EXPECT_EQ(o.ImageEnhanceType, DarkenMidtones);
    EXPECT_EQ(o.ImageUserLUTPath, "");
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/ec", "/ex"}), false, o));
    EXPECT_EQ(o.ImageEnhanceType, LineArtContrast);
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/eu", "c.txt"}), false, o));
    EXPECT_EQ(o.ImageEnhanceType, UserLut);
    EXPECT_EQ(o.ImageUserLUTPath, "c.txt");
    // A user curve that loses to another switch needs no value.
    EXPECT_TRUE(ParseCommandOptions(Line("/f", {"/ei", "/eu"}), false, o));
    EXPECT_EQ(o.ImageEnhanceType, LightenMidtones);
    EXPECT_FALSE(ParseCommandOptions(Line("/f", {"/eu"}), false, o));

    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/cn", "/cu"}), false, o));
    EXPECT_EQ(o.OutputCase, Upper) << "/cu is upper case";
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/cu", "/cl"}), false, o));
    EXPECT_EQ(o.OutputCase, Lower);
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/cn"}), false, o));
    EXPECT_EQ(o.OutputCase, NoChange);
}

TEST(CommandLine, NamingSwitchesOnlyInDirectoryModeWithOverwriteAsDefault) {
    BatchOptions o;
    o.OutputRenameStyle = AutoNumericSuffix;
    o.OutputExtraText = "keep";
    ASSERT_TRUE(ParseCommandOptions(Line("/f", {"/np", "x"}), false, o));
    EXPECT_EQ(o.OutputRenameStyle, AutoNumericSuffix);
    EXPECT_EQ(o.OutputExtraText, "keep");

    ASSERT_TRUE(ParseCommandOptions(Line("/d", {}), true, o));
    EXPECT_EQ(o.OutputRenameStyle, Overwrite);
    EXPECT_EQ(o.OutputExtraText, "");
    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/ns", "_t", "/np", "p_"}), true, o));
    EXPECT_EQ(o.OutputRenameStyle, TextPrefix);
    EXPECT_EQ(o.OutputExtraText, "p_");
    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/nn", "/ns", "_t"}), true, o));
    EXPECT_EQ(o.OutputRenameStyle, TextSuffix);
    EXPECT_EQ(o.OutputExtraText, "_t");
    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/nn", "/no"}), true, o));
    EXPECT_EQ(o.OutputRenameStyle, Overwrite);
    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/nn"}), true, o));
    EXPECT_EQ(o.OutputRenameStyle, AutoNumericSuffix);
    // A text switch as the last argument takes an empty text.
    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/np"}), true, o));
    EXPECT_EQ(o.OutputRenameStyle, TextPrefix);
    EXPECT_EQ(o.OutputExtraText, "");
}

TEST(CommandLine, MissingValuesAndBadDatesFailTheParse) {
    BatchOptions o;
    std::string problem;
    EXPECT_FALSE(ParseCommandOptions(Line("/f", {"/s", "120"}), false, o, &problem));
    EXPECT_NE(problem.find("/s"), std::string::npos);
    for (const Args& sw :
         {Args{"/v"}, Args{"/r"}, Args{"/o"}, Args{"/t+"}, Args{"/t-", "1/13/2000"}})
        EXPECT_FALSE(ParseCommandOptions(Line("/f", sw), false, o)) << sw[0];

    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/t+", "2/3/2004"}), true, o));
    EXPECT_EQ(o.OutputDateFilter, 1);
    EXPECT_EQ(o.OutputDateFilterBefore, 0);
    EXPECT_EQ(o.OutputDateDate, LocalMidnight(2, 3, 2004));
    ASSERT_TRUE(ParseCommandOptions(Line("/d", {"/t-", "2/3/2004"}), true, o));
    EXPECT_EQ(o.OutputDateFilterBefore, 1);
}

}  // namespace
}  // namespace vig
