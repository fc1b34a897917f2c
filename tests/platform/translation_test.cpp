#include "platform/translation.h"

#include <gtest/gtest.h>

namespace vig {
namespace {

// Placeholders are filled in one pass, by number, whatever order the
// translation puts them in; what has no argument stays as it is.
TEST(Translation, FillInReplacesEachNumberedPlaceholderOnce) {
    struct Row {
        std::string pattern;
        std::vector<std::string> args;
        std::string want;
    };
    const Row rows[] = {
        {"Processed %1 of %2 files", {"3", "4"}, "Processed 3 of 4 files"},
        {"%2 von %1", {"a", "b"}, "b von a"},
        {"%1 and %1", {"x"}, "x and x"},
        {"%1", {"%2"}, "%2"},  // an argument's own placeholder is left alone
        {"%2 missing", {"only"}, "%2 missing"},
        {"100% sure, %", {}, "100% sure, %"},
        {"%0 %a %%1", {"v"}, "%0 %a %v"},
        {"", {"unused"}, ""},
    };
    for (const Row& r : rows) EXPECT_EQ(FillIn(r.pattern, r.args), r.want) << r.pattern;
}

// Without a look-up every text is its English self; an installed one is
// asked with the context, and can be taken away again.
TEST(Translation, TranslateUsesTheInstalledLookUp) {
    EXPECT_EQ(Translate("vig::texts", "Reading"), "Reading");
    EXPECT_EQ(Translate("vig::texts", nullptr), "");
    SetTranslateFunction(
        [](const char* context, const char* text) { return std::string(context) + "|" + text; });
    EXPECT_EQ(Translate("vig::texts", "Reading"), "vig::texts|Reading");
    SetTranslateFunction(nullptr);
    EXPECT_EQ(Translate("vig::texts", "Reading"), "Reading");
}

}  // namespace
}  // namespace vig
