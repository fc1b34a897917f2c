#include "documents/composite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/enums.h"
#include "support/solid_image.h"

namespace vig {
namespace {

using test::FillSolid;

constexpr image::PackedColour kGrey = options::MakeColour(200, 200, 200);
constexpr image::PackedColour kRed = options::MakeColour(255, 0, 0);
constexpr image::PackedColour kBlue = options::MakeColour(0, 0, 255);

class Composite : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sheet.Setup(100, 100, 4, 4, kGrey, "Arial", 12, options::MakeColour(0, 0, 0)),
                  image::ErrNone);
    }
    documents::CPxCompositeImg sheet;
};

TEST_F(Composite, GeometryOfAFourByFourSheet) {
    EXPECT_EQ(sheet.width(), 590);
    EXPECT_EQ(sheet.height(), 590);
    EXPECT_EQ(sheet.CellX(5), 180);
    EXPECT_EQ(sheet.CellY(5), 180);

    // Odd cells: the left and top margins are the halves rounded down.
    documents::CPxCompositeImg odd;
    ASSERT_EQ(odd.Setup(101, 51, 3, 2, 0, "Arial", 12, 0), image::ErrNone);
    EXPECT_EQ(odd.width(), 101 * 4 + 60);
    EXPECT_EQ(odd.height(), 51 * 3 + 30);
    EXPECT_EQ(odd.CellX(4), 131 + 50);
    EXPECT_EQ(odd.CellY(4), 81 + 25);
    EXPECT_EQ(odd.GetPixel(0, 0), 0u);
}

TEST_F(Composite, SmallThumbnailsSitInTheCornerLargeOnesAreCentredAndClipped) {
    image::CPxImage small, tall, wide, huge;
    FillSolid(small, 100, 75, kRed);
    FillSolid(tall, 100, 150, kBlue);
    FillSolid(wide, 151, 20, kRed);
    FillSolid(huge, 2000, 1500, kBlue);
    ASSERT_EQ(sheet.AddImage(small, ""), image::ErrNone);
    EXPECT_EQ(sheet.GetPixel(50, 50), kRed);
    EXPECT_EQ(sheet.GetPixel(149, 124), kRed);
    EXPECT_EQ(sheet.GetPixel(50, 125), kGrey);
    EXPECT_EQ(sheet.GetPixel(49, 50), kGrey);

    // Taller than the cell: 25 pixels over the top and the bottom.
    ASSERT_EQ(sheet.AddImage(tall, ""), image::ErrNone);
    EXPECT_EQ(sheet.GetPixel(180, 25), kBlue);
    EXPECT_EQ(sheet.GetPixel(180, 24), kGrey);
    EXPECT_EQ(sheet.GetPixel(279, 174), kBlue);
    EXPECT_EQ(sheet.GetPixel(279, 175), kGrey);

    // Wider: (100 - 151) / 2 cut toward zero, so 25 to the left; the height
    // is smaller than the cell's, so no vertical shift.
    ASSERT_EQ(sheet.AddImage(wide, ""), image::ErrNone);
    EXPECT_EQ(sheet.GetPixel(310 - 25, 50), kRed);
    EXPECT_EQ(sheet.GetPixel(310 - 26, 50), kGrey);
    EXPECT_EQ(sheet.GetPixel(310 - 25 + 150, 69), kRed);

    // Larger than the whole sheet: clipped to it.
    ASSERT_EQ(sheet.AddImage(huge, ""), image::ErrNone);
    EXPECT_EQ(sheet.GetPixel(0, 0), kBlue);
    EXPECT_EQ(sheet.GetPixel(589, 589), kBlue);
    EXPECT_EQ(sheet.count(), 4);
}

TEST_F(Composite, FullAfterRowsTimesColumnsAndRefusesMore) {
    image::CPxImage t;
    FillSolid(t, 10, 10, kRed);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FALSE(sheet.IsFull());
        ASSERT_EQ(sheet.AddImage(t, ""), image::ErrNone);
    }
    EXPECT_TRUE(sheet.IsFull());
    EXPECT_EQ(sheet.AddImage(t, ""), image::ErrParameter);
    EXPECT_EQ(sheet.count(), 16);
    EXPECT_EQ(sheet.GetPixel(3 * 130 + 50, 3 * 130 + 50), kRed);

    ASSERT_EQ(sheet.Reset(), image::ErrNone);
    EXPECT_EQ(sheet.count(), 0);
    EXPECT_EQ(sheet.GetPixel(50, 50), kGrey);

    image::CPxImage none;
    EXPECT_EQ(sheet.AddImage(none, "x"), image::ErrParameter);
    EXPECT_EQ(sheet.count(), 0);
}

TEST_F(Composite, BadGeometryLeavesNoSheet) {
    documents::CPxCompositeImg c;
    EXPECT_EQ(c.Setup(0, 100, 4, 4, kGrey, "Arial", 12, 0), image::ErrParameter);
    EXPECT_TRUE(c.empty());
    EXPECT_EQ(c.Setup(100000, 100000, 4, 4, kGrey, "Arial", 12, 0), image::ErrOutOfMemory);
    EXPECT_TRUE(c.empty());
    image::CPxImage t;
    FillSolid(t, 10, 10, kRed);
    EXPECT_EQ(c.AddImage(t, "x"), image::ErrParameter);
    // Rows and columns below 1 count as 1.
    ASSERT_EQ(c.Setup(100, 100, 0, -5, kGrey, "Arial", 12, 0), image::ErrNone);
    EXPECT_EQ(c.width(), 200);
    EXPECT_EQ(c.height(), 200);
    ASSERT_EQ(c.AddImage(t, ""), image::ErrNone);
    EXPECT_TRUE(c.IsFull());
}

TEST_F(Composite, LabelsGoBelowTheThumbnailInTheArialMetricFace) {
    EXPECT_EQ(documents::LabelFontFamily("Arial", 12), "Liberation Sans");
    image::CPxImage t;
    FillSolid(t, 100, 75, kRed);
    ASSERT_EQ(sheet.AddImage(t, "Hello.jpg"), image::ErrNone);
    // Everything that changed besides the thumbnail lies in the label box:
    // from the cell's left edge, one 12-pixel cell below the thumbnail.
    int n = 0, dark = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x) {
            const image::PackedColour p = sheet.GetPixel(x, y);
            if (p == kGrey || (x >= 50 && x < 150 && y >= 50 && y < 125)) continue;
            ++n;
            EXPECT_TRUE(x >= 50 && x < 150 && y >= 125 && y < 137) << x << "," << y;
            EXPECT_EQ(options::ColourRed(p),
                      options::ColourGreen(p));  // black over white: greys only
            if (p == 0) ++dark;
        }
    EXPECT_GT(n, 40);
    EXPECT_GT(dark, 10);
}

TEST_F(Composite, ColouredLabelsAndTheBackgroundShowingThrough) {
    ASSERT_EQ(sheet.Setup(100, 100, 2, 2, kGrey, "Arial", 20, kBlue), image::ErrNone);
    image::CPxImage t;
    FillSolid(t, 60, 40, kRed);
    ASSERT_EQ(sheet.AddImage(t, "WWW"), image::ErrNone);
    // Edge pixels are the text colour faded toward the scratch black: blue
    // only, like the text itself.
    int blue = 0, other = 0;
    for (int y = 90; y < 110; ++y)
        for (int x = 50; x < 150; ++x) {
            const image::PackedColour p = sheet.GetPixel(x, y);
            if (p == kGrey) continue;
            EXPECT_TRUE(options::ColourRed(p) == 0 && options::ColourGreen(p) == 0)
                << x << "," << y;
            ++(p == kBlue ? blue : other);
        }
    EXPECT_GT(blue, 30);
    EXPECT_GT(other, 0);
}

TEST_F(Composite, LabelsAreClippedAndFontFailuresReported) {
    // A long label at the last column runs off the sheet's right edge.
    documents::CPxCompositeImg c;
    ASSERT_EQ(c.Setup(50, 50, 1, 1, kGrey, "Arial", 12, 0), image::ErrNone);
    image::CPxImage t;
    FillSolid(t, 50, 50, kRed);
    ASSERT_EQ(c.AddImage(t, std::string(300, 'M')), image::ErrNone);
    // Beyond the sheet, or a font that cannot be made.
    std::vector<uint8_t> pixels(30 * 20 * 3, 7);
    EXPECT_EQ(documents::DrawLabel(pixels.data(), 30, 20, "x", "Arial", 12, 31, 0, 0),
              image::ErrNone);
    EXPECT_EQ(documents::DrawLabel(pixels.data(), 30, 20, "x", "Arial", 12, 0, 21, 0),
              image::ErrNone);
    EXPECT_EQ(documents::DrawLabel(pixels.data(), 30, 20, "x", "Arial", 0, 0, 0, 0),
              image::ErrCreateFont);
    EXPECT_EQ(documents::DrawLabel(nullptr, 30, 20, "x", "Arial", 12, 0, 0, 0),
              image::ErrParameter);
    for (const uint8_t b : pixels) ASSERT_EQ(b, 7);
    // Text that is not UTF-8, and an unknown family (a fixed-pitch face).
    EXPECT_EQ(
        documents::DrawLabel(pixels.data(), 30, 20, "\xff\xfe\xc3", "No Such Face", 12, -3, -4, 0),
        image::ErrNone);

    ASSERT_EQ(c.Setup(50, 50, 2, 1, kGrey, "Arial", 0, 0), image::ErrNone);
    EXPECT_EQ(c.AddImage(t, "label"), image::ErrCreateFont);
    EXPECT_EQ(c.count(), 1);  // the cell is used all the same
    EXPECT_EQ(c.GetPixel(25, 25), kRed);
}

}  // namespace
}  // namespace vig
