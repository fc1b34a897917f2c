#include <gtest/gtest.h>

#include "documents/html_text.h"
#include "platform/paths.h"

namespace vig {
namespace {

TEST(RelativePath, FromTheBaseFolderToTheTarget) {
    const struct {
        const char *target, *base, *link;
    } cases[] = {
        {"/d/pics/a/img.jpg", "/d/thumbs/t1/Thumbs0.htm", "../../pics/a/img.jpg"},
        {"/d/out/Thumbs1.htm", "/d/out/Thumbs0.htm", "Thumbs1.htm"},
        {"/d/out/b/Thumbs0.htm", "/d/out/a/Thumbs0.htm", "../b/Thumbs0.htm"},
        {"/d/out/sub/x.htm", "/d/out/Thumbs0.htm", "sub/x.htm"},
        // The root is a common folder of any two absolute paths.
        {"/pics/a.jpg", "/thumbs/t/Thumbs0.htm", "../../pics/a.jpg"},
        {"/a.jpg", "/Thumbs0.htm", "a.jpg"},
        // No common folder gives nothing.
        {"pics/a.jpg", "/thumbs/Thumbs0.htm", ""},
        {"a.jpg", "b.htm", ""},
        {"", "/x/b.htm", ""},
        // Compared as written: letter case counts.
        {"/D/x/a.jpg", "/d/x/b.htm", "../../D/x/a.jpg"},
        // "/d/out" and "/d/output" share the text "/d/out" but only the folder /d.
        {"/d/out/a.jpg", "/d/output/Thumbs0.htm", "../out/a.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(paths::RelativePath(c.target, c.base), c.link) << c.target << " from " << c.base;
}

TEST(HtmlLink, RelativeAndUnnormalisedPathsStillResolve) {
    // The link rule works on full, normal forms, so "." and ".." steps and
    // relative folders do not mislead it.
    EXPECT_EQ(html::Link("./in/a.jpg", "out/Thumbs0.htm"), "../in/a.jpg");
    EXPECT_EQ(html::Link("/d/x/../in/a.jpg", "/d/out//Thumbs0.htm"), "../in/a.jpg");
}

TEST(HtmlText, EscapesMarkupAndUrlBytes) {
    EXPECT_EQ(html::Text("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d'");
    EXPECT_EQ(html::Url("my photo.jpg"), "my photo.jpg");
    EXPECT_EQ(html::Url("my photo.jpg", true), "my%20photo.jpg");
    EXPECT_EQ(html::Url("a#1?b%c\\d.jpg"), "a%231%3Fb%25c%5Cd.jpg");
    EXPECT_EQ(html::Url("caf\xc3\xa9\".jpg"), "caf%C3%A9&quot;.jpg");
    EXPECT_EQ(html::Url("../x/y.jpg"), "../x/y.jpg");
}

}  // namespace
}  // namespace vig
