#include "engine/output_naming.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace vig {
namespace {

using test::TempDir;

void Touch(const std::string& path) {
    ASSERT_TRUE(test::WriteFileText(path, "x"));
}

TEST(OutputNaming, FixedStylesNeverLookAtTheDisk) {
    EXPECT_EQ(engine::BuildOutputName("/out/img", "jpg", 0, "th_"), "/out/img.jpg");
    EXPECT_EQ(engine::BuildOutputName("/out/img", ".jpg", 0, "th_"), "/out/img.jpg");
    EXPECT_EQ(engine::BuildOutputName("/out/img", "jpg", 1, "th_"), "/out/th_img.jpg");
    EXPECT_EQ(engine::BuildOutputName("/out/img", "jpg", 2, "th_"), "/out/imgth_.jpg");
    EXPECT_EQ(engine::BuildOutputName("img", "jpg", 1, "th_"), "th_img.jpg");
    // Unknown styles overwrite; an empty extension keeps its dot; only one
    // leading dot is taken off.
    EXPECT_EQ(engine::BuildOutputName("/out/img", "png", 9, "x"), "/out/img.png");
    EXPECT_EQ(engine::BuildOutputName("/out/img", "", 0, ""), "/out/img.");
    EXPECT_EQ(engine::BuildOutputName("/out/img", "..jpg", 0, ""), "/out/img..jpg");
}

TEST(OutputNaming, AutoNumberingCountsUpToTheFirstFreeName) {
    TempDir dir;
    const std::string img = dir / "img";
    EXPECT_EQ(engine::BuildOutputName(img, "jpg", 3, ""), img + ".jpg");
    Touch(img + ".jpg");
    EXPECT_EQ(engine::BuildOutputName(img, ".jpg", 3, ""), img + "1.jpg");
    Touch(img + "1.jpg");
    EXPECT_EQ(engine::BuildOutputName(img, "jpg", 3, ""), img + "2.jpg");

    // Digits at the end keep their width; the number may grow beyond it.
    EXPECT_EQ(engine::BuildOutputName(dir / "img007", "jpg", 3, ""), dir / "img007.jpg");
    Touch(dir / "img007.jpg");
    EXPECT_EQ(engine::BuildOutputName(dir / "img007", "jpg", 3, ""), dir / "img008.jpg");
    Touch(dir / "img099.jpg");
    EXPECT_EQ(engine::BuildOutputName(dir / "img099", "jpg", 3, ""), dir / "img100.jpg");
    // Zero gives the empty number text, padded back to its width.
    EXPECT_EQ(engine::BuildOutputName(dir / "pic00", "jpg", 3, ""), dir / "pic00.jpg");
    Touch(dir / "pic00.jpg");
    EXPECT_EQ(engine::BuildOutputName(dir / "pic00", "jpg", 3, ""), dir / "pic01.jpg");
    // A folder of the candidate's name is in the way as well.
    ASSERT_EQ(mkdir((dir / "d.jpg").c_str(), 0777), 0);
    EXPECT_EQ(engine::BuildOutputName(dir / "d", "jpg", 3, ""), dir / "d1.jpg");

    // Digit runs of any length count on without overflowing.
    Touch(dir / "img99999999999.jpg");
    EXPECT_EQ(engine::BuildOutputName(dir / "img99999999999", "jpg", 3, ""),
              dir / "img100000000000.jpg");
    const std::string longRun(40, '9');
    Touch(dir / (longRun + ".png"));
    EXPECT_EQ(engine::BuildOutputName(dir / longRun, "png", 3, ""),
              dir / ("1" + std::string(40, '0') + ".png"));
    EXPECT_EQ(engine::IncrementDecimal(""), "1");

    // Candidates are tested after the letter-case step: Img.jpg is free,
    // but upper-cased it would hit IMG.JPG.
    Touch(dir / "IMG.JPG");
    EXPECT_EQ(engine::BuildOutputName(dir / "Img", "jpg", 3, "", 0), dir / "Img.jpg");
    EXPECT_EQ(engine::BuildOutputName(dir / "Img", "jpg", 3, "", 2), dir / "Img1.jpg");
}

TEST(OutputNaming, LetterCaseChangesOnlyTheFileNameAndAsciiLetters) {
    EXPECT_EQ(engine::ApplyOutputCase("/Out/Dir/Ab\xC3\x89.JPG", 1), "/Out/Dir/ab\xC3\x89.jpg");
    EXPECT_EQ(engine::ApplyOutputCase("/Out/Dir/Ab.jpg", 2), "/Out/Dir/AB.JPG");
    EXPECT_EQ(engine::ApplyOutputCase("/Out/Dir/Ab.jpg", 7), "/Out/Dir/Ab.jpg");
    EXPECT_EQ(engine::ApplyOutputCase("Ab.jpg", 1), "ab.jpg");
}

TEST(OutputNaming, ExtensionTables) {
    EXPECT_EQ(engine::OutputExtension(".png", 5), "jpg");
    EXPECT_EQ(engine::OutputExtension(".jpg", 14), "tif");
    EXPECT_EQ(engine::OutputExtension(".jpg", 17), "pcx");
    // "Same as input" gives the source's extension in upper case.
    EXPECT_EQ(engine::OutputExtension(".Tif", 2), "TIF");
    EXPECT_EQ(engine::OutputExtension(".jpeg", 1), "");
    EXPECT_EQ(engine::OutputExtension(".jpg", 20), "");
    EXPECT_EQ(engine::FormatExtension(1), ".jpg");
    EXPECT_EQ(engine::FormatExtension(19), ".gif");
}

TEST(OutputNaming, CreateFolderPathCreatesEveryMissingParentButNeverTheFirstComponent) {
    TempDir dir;
    EXPECT_TRUE(engine::CreateFolderPath(dir / "a/b/c"));
    EXPECT_TRUE(test::FileExists(dir / "a/b/c"));
    EXPECT_TRUE(engine::CreateFolderPath(dir / "a/b/c")) << "existing folders are fine";
    // A file in the way is a failure, not an existing folder.
    Touch(dir / "f");
    EXPECT_FALSE(engine::CreateFolderPath(dir / "f/g"));

    // Relative paths: out/sub fails while out is missing; a single
    // component creates nothing and succeeds.
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_FALSE(engine::CreateFolderPath("out/sub"));
    EXPECT_FALSE(test::FileExists(dir / "out"));
    EXPECT_TRUE(engine::CreateFolderPath("single"));
    EXPECT_FALSE(test::FileExists(dir / "single"));
    ASSERT_EQ(mkdir("out", 0777), 0);
    EXPECT_TRUE(engine::CreateFolderPath("out/sub"));
    EXPECT_TRUE(test::FileExists(dir / "out/sub"));
    ASSERT_EQ(chdir("/"), 0);
}

}  // namespace
}  // namespace vig
