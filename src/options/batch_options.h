// The one record of every setting. Each field carries the name of its
// stored value. The HTML and composite fields form sub-records that the
// options pages exchange whole; the record inherits them, so every field is
// reached by its plain name (options.HTMLTableCols) and a sub-record is
// copied with HtmlOptions::operator=.
#pragma once

#include <cstdint>
#include <string>

#include "options/enums.h"

namespace vig {
class ProfileStore;
}

namespace vig::options {

// The most files a batch run works on side by side.
inline constexpr int kMaxThreads = 64;
// OpsMemoryLimit in MB: the block cap of 2^31-1 bytes.
inline constexpr int kMaxMemoryLimit = 2047;
// The stored path of the program, beside the record's values: the program
// writes it at start, the context-menu command reads it to find the program.
inline constexpr const char* kProgramPathSetting = "VignettorApp";

struct HtmlOptions {
    int HTMLLog = 0;
    int HTMLTable = 0;
    std::string HTMLPath = "Thumbs";
    int HTMLWriteTitles = 0;
    int HTMLMakeSrcLink = 0;
    int HTMLMakeTextLink = 0;
    int HTMLMakeSrcPages = 0;  // SourcePageMode
    int HTMLMakeFileLink = 0;
    int HTMLWriteTIFF = 0;
    int HTMLWriteBMP = 0;
    int HTMLWritePNG = 0;
    int HTMLWritePCX = 0;  // not stored
    int HTMLExtHTML = 0;
    int HTMLMakeIndex = 0;
    int HTMLMakeSingleIndex = 0;
    int HTMLTableCols = 4;
    int HTMLBorderWidth = 1;
    Colour HTMLBackColor = MakeColour(0, 0, 0);
    Colour HTMLTextColor = MakeColour(200, 200, 200);
    Colour HTMLLinkColor = MakeColour(250, 0, 100);
    Colour HTMLVLinkColor = MakeColour(100, 0, 250);
    int HTMLTextSize = 0;
    int HTMLMaxImages = 50;
    std::string HTMLHeader;
    std::string HTMLHeaderPath;
    int HTMLUseHeaderPath = 0;
    std::string HTMLFooter;
    std::string HTMLFooterPath;
    int HTMLUseFooterPath = 0;
    std::string HTMLNextText = "Next Page";
    std::string HTMLPrevText = "Previous Page";
    std::string HTMLSourceTarget;
    int HTMLImageBorder = 0;
    int HTMLImageVSpace = 0;
    int HTMLImageHSpace = 0;
    int HTMLImageHoriz = 0;
    int HTMLSuppressFirstNumber = 0;

    bool operator==(const HtmlOptions&) const = default;
};

struct CompositeOptions {
    int CompositeMakeComposite = 0;
    int CompositeRows = 4;
    int CompositeCols = 4;
    Colour CompositeBackColor = MakeColour(200, 200, 200);
    Colour CompositeTextColor = MakeColour(0, 0, 0);
    std::string CompositeFontName = "Arial";
    int CompositeFontSize = 12;
    std::string CompositeBaseName = "Comp";
    int CompositeWriteToRoot = 1;
    int CompositeWriteFileName = 1;
    int CompositeFormat = 4;  // OutputFormat

    bool operator==(const CompositeOptions&) const = default;
};

// The member initialisers are the first-run values; Reset() gives the reset
// values.
struct BatchOptions : HtmlOptions, CompositeOptions {
    // Main window
    std::string MainSrcPath = ".";
    std::string MainDestPath = ".";
    int MainWidth = 100;
    int MainHeight = 100;
    int MainEnlarge = 0;
    int MainResizeMethod = BestFit;
    int MainOutputFormat = FormatJpg;
    int MainEnableSingleFile = 0;

    // Image
    int ImageSharpen = 0;
    int ImageSharpenLevel = 20;
    int ImageEnhanceType = 0;
    std::string ImageUserLUTPath;
    int ImageMatte = 0;
    Colour ImageMatteColor = MakeColour(0, 0, 0);
    int ImageBilinear = 0;
    int ImageAutoOrient = 0;  // turn JPEG photos upright by their EXIF orientation
    int JPGQuality = 75;
    int JPGDraftDecode = 0;  // decode JPEGs at a reduced scale when the size allows
    // Convert the colour profiles of JPEG, PNG and TIFF pictures to sRGB too
    // (those of HEIC/HEIF, AVIF and WebP pictures always are).
    int ImageColourManage = 0;

    // Operation
    int OpsSilentOperation = 0;
    int OpsErrorLogWindow = 0;
    int OpsThreads = 0;  // files worked on side by side: 0 one per core, 1 one at a time
    int OpsMemoryLimit = 0;  // MB all of a run's files may hold at once; 0 a share of the machine

    // Files and folders
    int OutputRenameStyle = AutoNumericSuffix;
    std::string OutputExtraText;
    int OutputCase = NoChange;
    int OutputCreateFolder = 0;
    int OutputRecurseSrc = 0;
    int OutputDuplicateSrcTree = 0;
    int OutputBranchFromSrc = 0;
    std::string OutputBranchPath = "Thumb";
    std::string OutputFilterString = "*";
    int OutputFilterJPG = 1;
    int OutputFilterBMP = 1;
    int OutputFilterPNG = 1;
    int OutputFilterTIF = 1;
    int OutputFilterPCX = 1;
    int OutputFilterGIF = 1;
    int OutputFilterHEIF = 1;  // .heic .heif .hif
    int OutputFilterAVIF = 1;
    int OutputFilterWEBP = 1;
    int OutputDateFilter = 0;
    int64_t OutputDateDate = 0;  // seconds since 1970 UTC; "now" when loaded
    int OutputDateFilterBefore = 1;
    int OutputSortFiles = NoSort;
    int OutputSortFilesDescending = 0;

    // PNG
    double PNGScreenGamma = 2.2;
    double PNGFileGamma = 0.0;
    Colour PNGBkColor = MakeColour(0, 0, 0);
    std::string PNGKey;
    std::string PNGText;
    int PNGCompressPNGText = 0;
    int PNGCopyPNGText = 0;

    // Overlay
    int OverlayOverlay = 0;
    std::string OverlayPath;
    int OverlayPos = 0;
    int OverlayRotation = 0;
    int OverlayQuantize = 0;
    int OverlayQuantizeColors = 16;
    int OverlayResize = 0;
    int OverlayNoTransparency = 1;
    Colour OverlayTransColor = MakeColour(0, 0, 0);
    double OverlayOpacity = 1.0;

    // Batch log
    int LogMakeLog = 0;
    std::string LogPath;
    int LogAppend = 0;
    int LogHeader = 0;
    int LogInputName = 0;
    int LogInputDims = 0;
    int LogOutName = 0;
    int LogOutputDims = 0;
    int LogPNGText = 0;

    bool operator==(const BatchOptions&) const = default;

    HtmlOptions& Html() { return *this; }
    const HtmlOptions& Html() const { return *this; }
    CompositeOptions& Composite() { return *this; }
    const CompositeOptions& Composite() const { return *this; }

    // The number of files a batch run works on side by side: OpsThreads, or
    // one per core when that is 0 (or below), at most kMaxThreads.
    int ThreadCount() const;

    // Every field to its reset value; OpsSilentOperation keeps its value.
    void Reset();
    // Reads every stored field; absent values take their first-run default.
    void Load(ProfileStore& store);
    // Writes every stored field.
    void Save(ProfileStore& store) const;
};

// The first-run values, with OutputDateDate set to `now`.
BatchOptions FirstRunOptions(int64_t now);

}  // namespace vig::options
