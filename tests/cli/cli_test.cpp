#include <gtest/gtest.h>

#include "cli/cli_runner.h"
#include "support/temp_dir.h"

namespace vig::test {
namespace {

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
    EXPECT_EQ(settings.find("MainHeight"), std::string::npos) << "headless runs never save settings";
}

}  // namespace
}  // namespace vig::test
