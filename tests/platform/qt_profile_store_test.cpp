// Round trip of every field through a real settings file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "options/batch_options.h"
#include "platform/qt_profile_store.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

// Every field set to a value different from both defaults.
options::BatchOptions Unusual() {
    options::BatchOptions o;
    o.MainSrcPath = "/in, with comma";
    o.MainDestPath = "/out/\xC3\xA9t\xC3\xA9";
    o.MainWidth = 321;
    o.MainHeight = 123;
    o.MainEnlarge = 1;
    o.MainResizeMethod = 6;
    o.MainOutputFormat = 17;
    o.MainEnableSingleFile = 1;
    o.ImageSharpen = 1;
    o.ImageSharpenLevel = 77;
    o.ImageEnhanceType = 5;
    o.ImageUserLUTPath = "/luts/my=curve.txt";
    o.ImageMatte = 1;
    o.ImageMatteColor = options::MakeColour(1, 2, 3);
    o.ImageBilinear = 1;
    o.JPGQuality = 91;
    o.OpsSilentOperation = 1;
    o.OpsErrorLogWindow = 1;
    o.OutputRenameStyle = 2;
    o.OutputExtraText = "_th";
    o.OutputCase = 2;
    o.OutputCreateFolder = 1;
    o.OutputRecurseSrc = 1;
    o.OutputDuplicateSrcTree = 1;
    o.OutputBranchFromSrc = 1;
    o.OutputBranchPath = "Small";
    o.OutputFilterString = "img*";
    o.OutputFilterJPG = 0;
    o.OutputFilterBMP = 0;
    o.OutputFilterPNG = 0;
    o.OutputFilterTIF = 0;
    o.OutputFilterPCX = 0;
    o.OutputFilterGIF = 0;
    o.OutputDateFilter = 1;
    o.OutputDateDate = 1234567890;
    o.OutputDateFilterBefore = 0;
    o.OutputSortFiles = 2;
    o.OutputSortFilesDescending = 1;
    o.PNGScreenGamma = 1.8;
    o.PNGFileGamma = 0.45455;
    o.PNGBkColor = options::MakeColour(10, 20, 30);
    o.PNGKey = "Title";
    o.PNGText = "Line one\nline two; \"quoted\"";
    o.PNGCompressPNGText = 1;
    o.PNGCopyPNGText = 1;
    o.OverlayOverlay = 1;
    o.OverlayPath = "/logo.png";
    o.OverlayPos = 13;
    o.OverlayRotation = 3;
    o.OverlayQuantize = 1;
    o.OverlayQuantizeColors = 5;
    o.OverlayResize = 1;
    o.OverlayNoTransparency = 0;
    o.OverlayTransColor = options::MakeColour(255, 0, 255);
    o.OverlayOpacity = 0.25;
    o.LogMakeLog = 1;
    o.LogPath = "/log\xE9.txt";  // a Latin-1 name: not UTF-8
    o.LogAppend = 1;
    o.LogHeader = 1;
    o.LogInputName = 1;
    o.LogInputDims = 1;
    o.LogOutName = 1;
    o.LogOutputDims = 1;
    o.LogPNGText = 1;
    o.HTMLLog = 1;
    o.HTMLTable = 1;
    o.HTMLPath = "Gallery";
    o.HTMLWriteTitles = 1;
    o.HTMLMakeSrcLink = 1;
    o.HTMLMakeTextLink = 1;
    o.HTMLMakeSrcPages = 2;
    o.HTMLMakeFileLink = 1;
    o.HTMLWriteTIFF = 1;
    o.HTMLWriteBMP = 1;
    o.HTMLWritePNG = 1;
    o.HTMLExtHTML = 1;
    o.HTMLMakeIndex = 1;
    o.HTMLMakeSingleIndex = 1;
    o.HTMLTableCols = 7;
    o.HTMLBorderWidth = 3;
    o.HTMLBackColor = options::MakeColour(4, 5, 6);
    o.HTMLTextColor = options::MakeColour(7, 8, 9);
    o.HTMLLinkColor = options::MakeColour(10, 11, 12);
    o.HTMLVLinkColor = options::MakeColour(13, 14, 15);
    o.HTMLTextSize = -2;
    o.HTMLMaxImages = 9;
    o.HTMLHeader = "<h1>Hi</h1>";
    o.HTMLHeaderPath = "/h.html";
    o.HTMLUseHeaderPath = 1;
    o.HTMLFooter = "<p>bye</p>";
    o.HTMLFooterPath = "/f.html";
    o.HTMLUseFooterPath = 1;
    o.HTMLNextText = "Forward";
    o.HTMLPrevText = "Back";
    o.HTMLSourceTarget = "main";
    o.HTMLImageBorder = 2;
    o.HTMLImageVSpace = 3;
    o.HTMLImageHSpace = 4;
    o.HTMLImageHoriz = 1;
    o.HTMLSuppressFirstNumber = 1;
    o.CompositeMakeComposite = 1;
    o.CompositeRows = 3;
    o.CompositeCols = 5;
    o.CompositeBackColor = options::MakeColour(16, 17, 18);
    o.CompositeTextColor = options::MakeColour(19, 20, 21);
    o.CompositeFontName = "DejaVu Sans";
    o.CompositeFontSize = 15;
    o.CompositeBaseName = "Sheet";
    o.CompositeWriteToRoot = 0;
    o.CompositeWriteFileName = 0;
    o.CompositeFormat = 9;
    return o;
}

TEST(QtProfileStore, EveryFieldSurvivesARealSettingsFile) {
    test::TempDir home;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", home.path().c_str(), 1), 0);

    const options::BatchOptions saved = Unusual();
    {
        platform::QtProfileStore store;
        EXPECT_EQ(store.FilePath(), home.path() + "/Ostrel Software/vignettor.conf");
        saved.Save(store);
        store.WriteString("VignettorApp", "/usr/bin/vignettor");
    }
    const std::string text = test::ReadFileText(home.path() + "/Ostrel Software/vignettor.conf");
    EXPECT_NE(text.find("[vignettor]"), std::string::npos);
    EXPECT_NE(text.find("PNGScreenGamma=1.800000"), std::string::npos);
    EXPECT_NE(text.find("HTMLBackColorRed=4"), std::string::npos);
    EXPECT_EQ(text.find("HTMLWritePCX"), std::string::npos);

    platform::QtProfileStore store;
    options::BatchOptions loaded;
    loaded.Reset();
    loaded.Load(store);
    // Reals go through "%f": six decimals.
    EXPECT_DOUBLE_EQ(loaded.PNGFileGamma, 0.45455);
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(store.ReadString("VignettorApp", ""), "/usr/bin/vignettor");
}

TEST(QtProfileStore, HandWrittenTextWithCommasIsNotLost) {
    test::TempDir home;
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", home.path().c_str(), 1), 0);
    std::string file;
    {
        platform::QtProfileStore probe;
        file = probe.FilePath();
    }
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    ASSERT_TRUE(
        test::WriteFileText(file, "[vignettor]\nHTMLHeader=Hello, world\nHTMLTableCols=1,2\n"));
    platform::QtProfileStore store;
    EXPECT_EQ(store.ReadString("HTMLHeader", ""), "Hello, world");
    EXPECT_EQ(store.ReadInt("HTMLTableCols", 4), 4);
}

}  // namespace
}  // namespace vig
