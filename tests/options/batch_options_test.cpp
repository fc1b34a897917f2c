#include "options/batch_options.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>

#include "platform/profile_store.h"

namespace vig {
namespace {

TEST(BatchOptions, FirstRunAndResetDifferWhereTheColumnsDiffer) {
    MemoryProfileStore empty;
    options::BatchOptions first;
    first.Reset();
    first.Load(empty);
    EXPECT_EQ(first.MainSrcPath, ".");
    EXPECT_EQ(first.MainDestPath, ".");
    EXPECT_EQ(first.OutputFilterGIF, 1);
    EXPECT_EQ(first.OutputCreateFolder, 0);
    EXPECT_EQ(first.OverlayPos, 0);
    EXPECT_EQ(first.OverlayNoTransparency, 1);

    options::BatchOptions reset = first;
    reset.Reset();
    EXPECT_EQ(reset.OutputFilterGIF, 0);
    EXPECT_EQ(reset.OutputCreateFolder, 1);
    EXPECT_EQ(reset.OverlayPos, 1);
    EXPECT_EQ(reset.OverlayNoTransparency, 0);
}

TEST(BatchOptions, ResetTakesTheTemporaryFolderWithoutItsTrailingSeparator) {
    const char* old = getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", "/var/tmp/", 1);
    options::BatchOptions o;
    o.Reset();
    EXPECT_EQ(o.MainSrcPath, "/var/tmp");
    EXPECT_EQ(o.MainDestPath, "/var/tmp");
    if (old) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
}

TEST(BatchOptions, ResetKeepsSilentOperationAndRestoresTheRest) {
    options::BatchOptions o;
    o.OpsSilentOperation = 1;
    o.MainWidth = 5;
    o.HTMLTableCols = 9;
    o.CompositeFontName = "Courier";
    o.JPGQuality = 3;
    o.Reset();
    EXPECT_EQ(o.OpsSilentOperation, 1);
    EXPECT_EQ(o.MainWidth, 100);
    EXPECT_EQ(o.HTMLTableCols, 4);
    EXPECT_EQ(o.CompositeFontName, "Arial");
    EXPECT_EQ(o.JPGQuality, 75);
    o.OpsSilentOperation = 0;
    o.Reset();
    EXPECT_EQ(o.OpsSilentOperation, 0);
}

TEST(BatchOptions, FirstRunDefaultsOfTheSubRecords) {
    options::BatchOptions o = options::FirstRunOptions(0);
    EXPECT_EQ(o.HTMLPath, "Thumbs");
    EXPECT_EQ(o.HTMLMaxImages, 50);
    EXPECT_EQ(o.HTMLTextColor, options::MakeColour(200, 200, 200));
    EXPECT_EQ(o.HTMLLinkColor, options::MakeColour(250, 0, 100));
    EXPECT_EQ(o.HTMLVLinkColor, options::MakeColour(100, 0, 250));
    EXPECT_EQ(o.HTMLNextText, "Next Page");
    EXPECT_EQ(o.HTMLPrevText, "Previous Page");
    EXPECT_EQ(o.CompositeBackColor, options::MakeColour(200, 200, 200));
    EXPECT_EQ(o.CompositeBaseName, "Comp");
    EXPECT_EQ(o.CompositeWriteToRoot, 1);
    EXPECT_EQ(o.CompositeFormat, 4);
    EXPECT_EQ(o.OutputRenameStyle, 3);
    EXPECT_EQ(o.OutputBranchPath, "Thumb");
    EXPECT_DOUBLE_EQ(o.PNGScreenGamma, 2.2);
    EXPECT_DOUBLE_EQ(o.OverlayOpacity, 1.0);
    EXPECT_EQ(o.OverlayQuantizeColors, 16);
}

TEST(BatchOptions, SubRecordsCopyWhole) {
    options::BatchOptions a = options::FirstRunOptions(0);
    options::BatchOptions b = options::FirstRunOptions(0);
    b.HTMLTableCols = 8;
    b.HTMLHeader = "head";
    b.CompositeRows = 2;
    b.MainWidth = 7;
    a.Html() = b.Html();
    EXPECT_EQ(a.HTMLTableCols, 8);
    EXPECT_EQ(a.HTMLHeader, "head");
    EXPECT_EQ(a.CompositeRows, 4);
    EXPECT_EQ(a.MainWidth, 100);
    a.Composite() = b.Composite();
    EXPECT_EQ(a.CompositeRows, 2);
}

TEST(BatchOptions, EmptyStoreLoadsTheFirstRunValuesWithTodaysDate) {
    MemoryProfileStore empty;
    options::BatchOptions o;
    o.Reset();
    const auto before = static_cast<int64_t>(std::time(nullptr));
    o.Load(empty);
    const auto after = static_cast<int64_t>(std::time(nullptr));
    EXPECT_GE(o.OutputDateDate, before);
    EXPECT_LE(o.OutputDateDate, after);
    options::BatchOptions expected = options::FirstRunOptions(o.OutputDateDate);
    EXPECT_EQ(o, expected);
}

TEST(BatchOptions, FlagsReadAsOneOnlyForExactlyOne) {
    MemoryProfileStore store;
    store.WriteInt("MainEnlarge", 2);
    store.WriteInt("ImageSharpen", 5);
    store.WriteInt("OutputFilterJPG", -1);
    store.WriteInt("ImageMatte", 1);
    options::BatchOptions o;
    o.Load(store);
    EXPECT_EQ(o.MainEnlarge, 0);
    EXPECT_EQ(o.ImageSharpen, 0);
    EXPECT_EQ(o.OutputFilterJPG, 0);
    EXPECT_EQ(o.ImageMatte, 1);
    o.Save(store);
    EXPECT_EQ(store.ReadString("ImageSharpen", ""), "0");
    EXPECT_EQ(store.ReadString("MainEnlarge", ""), "0");
}

// Settings stored before the HEIC/HEIF, AVIF and WebP filters existed read
// them as on, and as on after a reset; once stored they are kept.
TEST(BatchOptions, NewFormatFiltersAreOnUnlessStoredOff) {
    int options::BatchOptions::*const filters[] = {&options::BatchOptions::OutputFilterHEIF,
                                                   &options::BatchOptions::OutputFilterAVIF,
                                                   &options::BatchOptions::OutputFilterWEBP};
    const char* const keys[] = {"OutputFilterHEIF", "OutputFilterAVIF", "OutputFilterWEBP"};
    MemoryProfileStore store;
    options::BatchOptions older;
    older.OutputFilterJPG = 0;
    older.Save(store);
    for (const char* key : keys) {
        ASSERT_TRUE(store.Has(key)) << key;
        store.Erase(key);
    }
    options::BatchOptions o;
    for (auto filter : filters) o.*filter = 0;
    o.Load(store);
    EXPECT_EQ(o.OutputFilterJPG, 0);
    for (auto filter : filters) EXPECT_EQ(o.*filter, 1);
    o.Reset();
    for (auto filter : filters) EXPECT_EQ(o.*filter, 1);
    for (size_t i = 0; i < std::size(keys); ++i) {
        options::BatchOptions off;
        off.*filters[i] = 0;
        off.Save(store);
        EXPECT_EQ(store.ReadString(keys[i], ""), "0");
        options::BatchOptions back;
        back.Load(store);
        for (size_t k = 0; k < std::size(keys); ++k)
            EXPECT_EQ(back.*filters[k], k == i ? 0 : 1) << keys[i] << " " << keys[k];
    }
}

TEST(BatchOptions, ColourComponentsFallBackOneByOne) {
    MemoryProfileStore store;
    store.WriteInt("HTMLTextColorRed", 17);
    options::BatchOptions o;
    o.Load(store);
    EXPECT_EQ(o.HTMLTextColor, options::MakeColour(17, 200, 200));
    o.Save(store);
    EXPECT_EQ(store.ReadInt("HTMLTextColorGreen", -1), 200);
    EXPECT_EQ(store.ReadInt("HTMLTextColorBlue", -1), 200);
}

TEST(BatchOptions, RealsAreWrittenWithSixDecimalsAndReadBack) {
    MemoryProfileStore store;
    options::BatchOptions o = options::FirstRunOptions(0);
    o.Save(store);
    EXPECT_EQ(store.ReadString("PNGScreenGamma", ""), "2.200000");
    EXPECT_EQ(store.ReadString("PNGFileGamma", ""), "0.000000");
    EXPECT_EQ(store.ReadString("OverlayOpacity", ""), "1.000000");
    options::BatchOptions back;
    back.Load(store);
    EXPECT_DOUBLE_EQ(back.PNGScreenGamma, 2.2);

    store.WriteString("PNGScreenGamma", " 1.5xyz");
    store.WriteString("OverlayOpacity", "not a number");
    store.WriteString("PNGFileGamma", "\n\t0.25");
    back.Load(store);
    EXPECT_DOUBLE_EQ(back.PNGScreenGamma, 1.5);
    EXPECT_DOUBLE_EQ(back.OverlayOpacity, 1.0);
    EXPECT_DOUBLE_EQ(back.PNGFileGamma, 0.25);
    // One sign at most: a second one leaves no number.
    store.WriteString("PNGScreenGamma", "--2");
    store.WriteString("OverlayOpacity", "+-0.5");
    back.Load(store);
    EXPECT_DOUBLE_EQ(back.PNGScreenGamma, 2.2);
    EXPECT_DOUBLE_EQ(back.OverlayOpacity, 1.0);
}

TEST(BatchOptions, OverlayQuantizeIsWrittenLikeAFlagAndReadLikeAnInt) {
    MemoryProfileStore store;
    store.WriteInt("OverlayQuantize", 2);
    options::BatchOptions o;
    o.Load(store);
    EXPECT_EQ(o.OverlayQuantize, 2);
    o.Save(store);
    EXPECT_EQ(store.ReadInt("OverlayQuantize", -1), 1);
}

TEST(BatchOptions, EmptyNameFilterReadsAsStar) {
    MemoryProfileStore store;
    store.WriteString("OutputFilterString", "");
    options::BatchOptions o;
    o.Load(store);
    EXPECT_EQ(o.OutputFilterString, "*");
}

TEST(BatchOptions, NonNumbersAndOutOfRangeNumbersReadAsDefaults) {
    MemoryProfileStore store;
    store.WriteString("MainWidth", "wide");
    store.WriteString("MainHeight", "99999999999");
    store.WriteString("JPGQuality", "80");
    // Flags and colour components follow the same rule.
    store.WriteString("OutputFilterJPG", "4294967297");
    store.WriteString("OutputFilterBMP", "yes");
    store.WriteString("HTMLTextColorGreen", "4294967297");
    store.WriteString("HTMLTextColorBlue", "blue");
    options::BatchOptions o;
    o.MainWidth = 1;
    o.Load(store);
    EXPECT_EQ(o.MainWidth, 100);
    EXPECT_EQ(o.MainHeight, 100);
    EXPECT_EQ(o.JPGQuality, 80);
    EXPECT_EQ(o.OutputFilterJPG, 1);
    EXPECT_EQ(o.OutputFilterBMP, 1);
    EXPECT_EQ(o.HTMLTextColor, options::MakeColour(200, 200, 200));
}

TEST(BatchOptions, PcxPageFlagIsNeverStored) {
    MemoryProfileStore store;
    options::BatchOptions o = options::FirstRunOptions(0);
    o.HTMLWritePCX = 1;
    o.Save(store);
    EXPECT_FALSE(store.Has("HTMLWritePCX"));
    store.WriteInt("HTMLWritePCX", 1);
    options::BatchOptions back;
    back.Reset();
    back.Load(store);
    EXPECT_EQ(back.HTMLWritePCX, 0);
}

TEST(BatchOptions, SaveWritesEveryStoredValueName) {
    MemoryProfileStore store;
    options::FirstRunOptions(0).Save(store);
    // 119 stored fields, of which 9 colours take three values each.
    EXPECT_EQ(store.Values().size(), 119u - 9u + 27u);
    for (const char* name : {"MainSrcPath", "OutputDateDate", "OverlayQuantize", "LogPNGText",
                             "HTMLSuppressFirstNumber", "CompositeFormat", "ImageMatteColorBlue",
                             "OpsThreads", "OpsMemoryLimit", "JPGDraftDecode", "ImageAutoOrient",
                             "OutputFilterHEIF", "OutputFilterAVIF", "OutputFilterWEBP",
                             "ImageColourManage"})
        EXPECT_TRUE(store.Has(name)) << name;
}

}  // namespace
}  // namespace vig
