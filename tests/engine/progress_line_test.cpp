// The progress line a headless run keeps on a terminal, from its figures.
#include <gtest/gtest.h>

#include <string>

#include "engine/engine_texts.h"

namespace vig::engine::texts {
namespace {

TEST(ProgressLine, FiguresGiveTheRateAndTheTimeLeft) {
    const struct {
        int done, total;
        double rate;
        const char* line;
    } rows[] = {
        {1, 4, 1.0, "1 of 4 files | a.jpg | 1.0 files/s | 0:03 left"},
        {0, 4, 0.0, "0 of 4 files | a.jpg | -- files/s | --:-- left"},
        {2, 62, 0.5, "2 of 62 files | a.jpg | 0.5 files/s | 2:00 left"},
        {1, 3, 3.0, "1 of 3 files | a.jpg | 3.0 files/s | 0:01 left"},  // 0.67 s, rounded
        {1, 3600, 1.0, "1 of 3600 files | a.jpg | 1.0 files/s | 59:59 left"},
        {0, 3600, 1.0, "0 of 3600 files | a.jpg | 1.0 files/s | 1:00:00 left"},
        {1, 7508, 1.0, "1 of 7508 files | a.jpg | 1.0 files/s | 2:05:07 left"},
        {12, 100012, 2.5, "12 of 100012 files | a.jpg | 2.5 files/s | 11:06:40 left"},
        {4, 4, 3.25, "4 of 4 files | a.jpg | 3.2 files/s | 0:00 left"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ProgressLine(r.done, r.total, "a.jpg", r.rate, 200), r.line) << r.line;
}

// Everything that could drive a terminal is shown as octal escapes; text
// that is printable, in any script, stays as it is.
TEST(ProgressLine, NamesAreShownWithTheirControlsEscaped) {
    const struct {
        const char* what;
        std::string name;
        std::string shown;
    } rows[] = {
        {"window title and clear screen", "a\033]0;title\007\033[2Jb",
         "a\\033]0;title\\007\\033[2Jb"},
        {"line breaks, tab, carriage return", "a\nb\tc\rd", "a\\012b\\011c\\015d"},
        {"DEL", "a\177b", "a\\177b"},
        {"C1 controls (CSI, NEL)",
         "a\xC2\x9B"
         "2J\xC2\x85",
         "a\\302\\2332J\\302\\205"},
        {"a backslash, doubled", "a\\033", "a\\\\033"},
        {"printable UTF-8", "\xC2\xA0\xC3\x84rger-\xE6\x97\xA5-\xF0\x9F\x98\x80",
         "\xC2\xA0\xC3\x84rger-\xE6\x97\xA5-\xF0\x9F\x98\x80"},
        {"a stray continuation byte", "a\x80z", "a\\200z"},
        {"a sequence cut short", "a\xE6\x97", "a\\346\\227"},
        {"a sequence cut by a control", "a\xE6\x1B[", "a\\346\\033["},
        {"overlong forms", "\xC0\xAF\xE0\x80\xAF", "\\300\\257\\340\\200\\257"},
        {"a surrogate", "\xED\xA0\x80", "\\355\\240\\200"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "\\364\\220\\200\\200"},
        {"bytes that start nothing", "\xFE\xFF", "\\376\\377"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ForTerminal(r.name), r.shown) << r.what;
        EXPECT_EQ(ProgressLine(1, 2, r.name, 0, 200),
                  "1 of 2 files | " + r.shown + " | -- files/s | --:-- left")
            << r.what;
    }
    EXPECT_EQ(ForTerminal("a\nb\tc\033", true), "a\nb\tc\\033") << "a report keeps its lines";
}

// A long name is shortened from the left to fit, never inside a character
// or an escape: what follows "..." is the shown form of the name's end.
TEST(ProgressLine, ShorteningKeepsEscapesAndCharactersWhole) {
    const std::string name = "/photos/\xE6\x97\xA5\033[2J\xC2\x9B\\\xFF\xC3\x84-end.jpg";
    const std::string fixed = "1 of 2 files |  | -- files/s | --:-- left";
    for (size_t width = fixed.size(); width < fixed.size() + 50; ++width) {
        const std::string line = ProgressLine(1, 2, name, 0, width);
        EXPECT_LE(line.size(), width);
        const size_t from = line.find(" | ") + 3, to = line.find(" | -- files/s");
        ASSERT_NE(to, std::string::npos) << line;
        const std::string shown = line.substr(from, to - from);
        if (shown.empty()) continue;
        bool whole = ForTerminal(name) == shown;
        for (size_t cut = 1; cut < name.size() && !whole; ++cut)
            whole = shown == "..." + ForTerminal(name.substr(cut));
        EXPECT_TRUE(whole) << width << ": " << line;
    }
}

}  // namespace
}  // namespace vig::engine::texts
