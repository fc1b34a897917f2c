#include "platform/paths.h"

#include <gtest/gtest.h>

namespace vig::paths {
namespace {

TEST(Paths, SplitsAtTheLastSeparatorAndDot) {
    EXPECT_EQ(Directory("/a/b/c.jpg"), "/a/b");
    EXPECT_EQ(Directory("c.jpg"), "");
    EXPECT_EQ(Directory("/c.jpg"), "");
    EXPECT_EQ(FileName("/a/b/c.jpg"), "c.jpg");
    EXPECT_EQ(FileName("c.jpg"), "c.jpg");
    EXPECT_EQ(FileName("/a/b/"), "");
    EXPECT_EQ(Title("/a/b/c.d.jpg"), "c.d");
    EXPECT_EQ(Title("/a.b/noext"), "noext");
    EXPECT_EQ(WithoutExtension("/a/b/c.jpg"), "/a/b/c");
    EXPECT_EQ(WithoutExtension("/a/b/c"), "");
    EXPECT_EQ(Extension("/a/b/c.JPG"), ".JPG");
    EXPECT_EQ(Extension("/a/b/c"), "");
    // The extension starts at the last dot of the whole path.
    EXPECT_EQ(Extension("/a.b/c"), ".b/c");
}

TEST(Paths, StripsExactlyOneTrailingSeparator) {
    EXPECT_EQ(StripTrailingSeparator("/tmp/"), "/tmp");
    EXPECT_EQ(StripTrailingSeparator("/tmp//"), "/tmp/");
    EXPECT_EQ(StripTrailingSeparator("/tmp"), "/tmp");
    EXPECT_EQ(StripTrailingSeparator(""), "");
    EXPECT_EQ(Join("/out", "a.jpg"), "/out/a.jpg");
}

TEST(Paths, CaseFoldingIsAsciiThenByteOrder) {
    EXPECT_TRUE(EqualsIgnoringCase("PHOTO.JPG", "photo.jpg"));
    EXPECT_FALSE(EqualsIgnoringCase("photo.jpg", "photo.jpeg"));
    EXPECT_LT(CompareIgnoringCase("a", "B"), 0);
    EXPECT_GT(CompareIgnoringCase("b", "A"), 0);
    EXPECT_EQ(CompareIgnoringCase("X", "x"), 0);
    EXPECT_LT(CompareIgnoringCase("ab", "abc"), 0);
    // Letters fold to lower case, which sorts after '_' (0x5F).
    EXPECT_GT(CompareIgnoringCase("Z", "_"), 0);
    // Bytes above 0x7F are compared unsigned and never folded.
    EXPECT_LT(CompareIgnoringCase("z", "\xC3\xA9"), 0);
    // The separator sorts just before the backslash: after the digits.
    EXPECT_LT(CompareIgnoringCase("x0", "X/Y"), 0);
    EXPECT_LT(CompareIgnoringCase("a/b", "a\\b"), 0);
    EXPECT_FALSE(EqualsIgnoringCase("a/b", "a\\b"));
    EXPECT_EQ(ToLowerAscii("AbC\xC3\x89.JPG"), "abc\xC3\x89.jpg");
    EXPECT_EQ(ToUpperAscii("abc.jpg"), "ABC.JPG");
}

}  // namespace
}  // namespace vig::paths
