#include "engine/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    EXPECT_EQ(engine::ResizeMethodFromCode(1), options::FixedWidth);
    EXPECT_EQ(engine::ResizeMethodFromCode(6), options::NoResize);
    EXPECT_EQ(engine::ResizeMethodFromCode(9), options::BestFit);
    EXPECT_EQ(engine::OutputFormatFromCode(13), 14);
    EXPECT_EQ(engine::OutputFormatFromCode(14), options::FormatGif);
    EXPECT_EQ(engine::OutputFormatFromCode(16), options::FormatPcx24);
    EXPECT_EQ(engine::OutputFormatFromCode(19), options::FormatSame24);
    EXPECT_EQ(engine::TextToInt("  -7x"), -7);
    EXPECT_EQ(engine::TextToInt("abc"), 0);
    EXPECT_EQ(engine::TextToInt("99999999999999999999"), 2147483647);
}

TEST(CommandLine, DatesAreDayMonthYearAtLocalMidnight) {
    int64_t t = 0;
    ASSERT_TRUE(engine::ParseDate("5/6/2001", &t));
    EXPECT_EQ(t, LocalMidnight(5, 6, 2001));
    // Only the day range is checked; the calendar rolls 31 February over.
    ASSERT_TRUE(engine::ParseDate("31/2/1999", &t));
    EXPECT_EQ(t, LocalMidnight(3, 3, 1999));
    EXPECT_TRUE(engine::ParseDate("1/1/2000 and more", &t));
    for (const char* bad : {"0/1/2000", "32/1/2000", "1/0/2000", "1/13/2000", "1/2", "1-2-2000", "",
                            "a/b/c", "1/1/", "1//2000", "1/1/99999999999"})
        EXPECT_FALSE(engine::ParseDate(bad, &t)) << bad;
}

TEST(CommandLine, SwitchesCountFromTheFifthArgumentAtTheirFirstOccurrence) {
    options::BatchOptions o;
    o.MainWidth = 33;
    o.OutputFilterGIF = 1;
    o.OpsSilentOperation = 1;
    // "/n" at positions 3 and 4 are paths; "/N" and "/X" are no switches.
    ASSERT_TRUE(
        engine::ParseCommandOptions({"vignettor", "/h", "/f", "/n", "/x", "/N", "/X"}, false, o));
    EXPECT_EQ(o.MainEnlarge, 0);
    EXPECT_EQ(o.MainWidth, 33);
    ASSERT_TRUE(engine::ParseCommandOptions(Line("/f", {"/v", "5", "/v", "9"}), false, o));
    EXPECT_EQ(o.ImageSharpen, 1);
    EXPECT_EQ(o.ImageSharpenLevel, 5);
    // The reset comes first, whatever its position.
    ASSERT_TRUE(engine::ParseCommandOptions(Line("/f", {"/s", "50", "60", "/x"}), false, o));
    EXPECT_EQ(o.MainWidth, 50);
    EXPECT_EQ(o.OutputFilterGIF, 0) << "reset value";
    EXPECT_EQ(o.OpsSilentOperation, 1);
}

TEST(CommandLine, GroupsTakeTheFirstSwitchInTheirOrder) {
    const struct {
        Args switches;
        int enhance;
        const char* curve;
    } curves[] = {{{"/eu", "c.txt", "/ec", "/ei", "/ed"}, options::DarkenMidtones, ""},
                  {{"/ec", "/ex"}, options::LineArtContrast, ""},
                  {{"/eu", "c.txt"}, options::UserLut, "c.txt"},
                  {{"/ei", "/eu"}, options::LightenMidtones, ""}};  // a losing "/eu" needs no value
    options::BatchOptions o;
    for (const auto& row : curves) {
        o.ImageUserLUTPath = "old";
        ASSERT_TRUE(engine::ParseCommandOptions(Line("/f", row.switches), false, o))
            << row.switches[0];
        EXPECT_EQ(o.ImageEnhanceType, row.enhance) << row.switches[0];
        EXPECT_EQ(o.ImageUserLUTPath, row.curve);
    }
    EXPECT_FALSE(engine::ParseCommandOptions(Line("/f", {"/eu"}), false, o));

    // "/cu" is upper case.
    const std::pair<Args, int> cases[] = {{{"/cn", "/cu"}, options::Upper},
                                          {{"/cu", "/cl"}, options::Lower},
                                          {{"/cn"}, options::NoChange}};
    for (const auto& [switches, nameCase] : cases) {
        ASSERT_TRUE(engine::ParseCommandOptions(Line("/f", switches), false, o));
        EXPECT_EQ(o.OutputCase, nameCase) << switches[0];
    }
}

TEST(CommandLine, NamingSwitchesOnlyInDirectoryModeWithOverwriteAsDefault) {
    options::BatchOptions o;
    o.OutputRenameStyle = options::AutoNumericSuffix;
    o.OutputExtraText = "keep";
    ASSERT_TRUE(engine::ParseCommandOptions(Line("/f", {"/np", "x"}), false, o));
    EXPECT_EQ(o.OutputRenameStyle, options::AutoNumericSuffix);
    EXPECT_EQ(o.OutputExtraText, "keep");

    const struct {
        Args switches;
        int style;
        const char* text;
    } rows[] = {{{}, options::Overwrite, ""},
                {{"/ns", "_t", "/np", "p_"}, options::TextPrefix, "p_"},
                {{"/nn", "/ns", "_t"}, options::TextSuffix, "_t"},
                {{"/nn", "/no"}, options::Overwrite, ""},
                {{"/nn"}, options::AutoNumericSuffix, ""},
                {{"/np"}, options::TextPrefix, ""}};  // as the last argument: an empty text
    for (const auto& row : rows) {
        o.OutputExtraText = "keep";
        ASSERT_TRUE(engine::ParseCommandOptions(Line("/d", row.switches), true, o));
        EXPECT_EQ(o.OutputRenameStyle, row.style) << row.switches.size();
        EXPECT_EQ(o.OutputExtraText, row.text);
    }
}

TEST(CommandLine, MissingValuesAndBadDatesFailTheParse) {
    options::BatchOptions o;
    std::string problem;
    EXPECT_FALSE(engine::ParseCommandOptions(Line("/f", {"/s", "120"}), false, o, &problem));
    EXPECT_NE(problem.find("/s"), std::string::npos);
    for (const Args& sw :
         {Args{"/v"}, Args{"/r"}, Args{"/o"}, Args{"/t+"}, Args{"/t-", "1/13/2000"}})
        EXPECT_FALSE(engine::ParseCommandOptions(Line("/f", sw), false, o)) << sw[0];
    EXPECT_FALSE(engine::ParseCommandOptions(Line("/d", {"/j"}), true, o));

    ASSERT_TRUE(engine::ParseCommandOptions(Line("/d", {"/t+", "2/3/2004"}), true, o));
    EXPECT_EQ(o.OutputDateFilter, 1);
    EXPECT_EQ(o.OutputDateFilterBefore, 0);
    EXPECT_EQ(o.OutputDateDate, LocalMidnight(2, 3, 2004));
    ASSERT_TRUE(engine::ParseCommandOptions(Line("/d", {"/t-", "2/3/2004"}), true, o));
    EXPECT_EQ(o.OutputDateFilterBefore, 1);
}

TEST(CommandLine, RunStepsAreOneOfPlanShardAndMerge) {
    struct Row {
        Args switches;
        bool ok;
        engine::RunStep::Kind kind;
        int index, count;
    };
    const Row rows[] = {
        {{}, true, engine::RunStep::Kind::Whole, 0, 0},
        {{"/plan"}, true, engine::RunStep::Kind::Plan, 0, 0},
        {{"/merge", "/j", "2"}, true, engine::RunStep::Kind::Merge, 0, 0},
        {{"/j", "1", "/shard", "3/7"}, true, engine::RunStep::Kind::Shard, 3, 7},
        {{"/shard", "1/1"}, true, engine::RunStep::Kind::Shard, 1, 1},
        {{"/shard", "0/3"}, false, {}, 0, 0},
        {{"/shard", "4/3"}, false, {}, 0, 0},
        {{"/shard", "+1/3"}, false, {}, 0, 0},
        {{"/shard", "1/3x"}, false, {}, 0, 0},
        {{"/shard", "1/99999999"}, false, {}, 0, 0},
        {{"/shard"}, false, {}, 0, 0},
        {{"/plan", "/merge"}, false, {}, 0, 0},
        {{"/PLAN"}, true, engine::RunStep::Kind::Whole, 0, 0},  // compared exactly
    };
    for (const Row& row : rows) {
        const Args line = Line("/d", row.switches);
        engine::RunStep step;
        std::string problem;
        std::vector<bool> taken;
        const std::string what = line.size() > 5 ? line[5] : "(none)";
        ASSERT_EQ(engine::ParseRunStep(line, &step, &problem, &taken), row.ok) << what;
        if (!row.ok) {
            EXPECT_FALSE(problem.empty());
            options::BatchOptions o;
            EXPECT_FALSE(engine::ParseCommandOptions(line, true, o)) << what;
            continue;
        }
        EXPECT_EQ(step.kind, row.kind) << what;
        EXPECT_EQ(step.index, row.index);
        EXPECT_EQ(step.count, row.count);
        // The step's words are taken, never named as ignored, in directory
        // mode; the single-file mode knows no steps.
        options::BatchOptions o;
        std::vector<std::string> ignored;
        ASSERT_TRUE(engine::ParseCommandOptions(line, true, o, nullptr, &ignored));
        EXPECT_EQ(ignored.empty(), row.kind != engine::RunStep::Kind::Whole || row.switches.empty())
            << what;
        ASSERT_TRUE(
            engine::ParseCommandOptions(Line("/f", row.switches), false, o, nullptr, &ignored));
        const bool named =
            std::find(ignored.begin(), ignored.end(),
                      row.kind == engine::RunStep::Kind::Plan    ? "/plan"
                      : row.kind == engine::RunStep::Kind::Merge ? "/merge"
                                                                 : "/shard") != ignored.end();
        EXPECT_EQ(named, row.kind != engine::RunStep::Kind::Whole) << what;
    }
}

}  // namespace
}  // namespace vig
