#include "options/batch_options.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string_view>

#include "platform/paths.h"
#include "platform/profile_store.h"
#include "platform/system.h"

namespace vig::options {
namespace {

// How a field is kept in the store.
enum class Kind {
    Int,          // number
    Flag,         // number; written 0/1, read as 1 only when exactly 1
    QuantizeInt,  // written like a flag, read like an int
    Text,         // string
    Time,         // number of seconds
    Colour,       // three numbers: name + Red, Green, Blue
    Real,         // string "%f"
};

struct Field {
    const char* name;
    Kind kind;
    int BatchOptions::*i = nullptr;
    std::string BatchOptions::*s = nullptr;
    double BatchOptions::*d = nullptr;
    Colour BatchOptions::*c = nullptr;
    int64_t BatchOptions::*t = nullptr;
};

constexpr Field MakeInt(const char* n, Kind k, int BatchOptions::*p) {
    Field f{n, k};
    f.i = p;
    return f;
}
constexpr Field MakeText(const char* n, std::string BatchOptions::*p) {
    Field f{n, Kind::Text};
    f.s = p;
    return f;
}
constexpr Field MakeReal(const char* n, double BatchOptions::*p) {
    Field f{n, Kind::Real};
    f.d = p;
    return f;
}
constexpr Field MakeColour(const char* n, Colour BatchOptions::*p) {
    Field f{n, Kind::Colour};
    f.c = p;
    return f;
}
constexpr Field MakeTime(const char* n, int64_t BatchOptions::*p) {
    Field f{n, Kind::Time};
    f.t = p;
    return f;
}

#define VIG_INT(x) MakeInt(#x, Kind::Int, &BatchOptions::x)
#define VIG_FLAG(x) MakeInt(#x, Kind::Flag, &BatchOptions::x)
#define VIG_TEXT(x) MakeText(#x, &BatchOptions::x)
#define VIG_REAL(x) MakeReal(#x, &BatchOptions::x)
#define VIG_COLOUR(x) MakeColour(#x, &BatchOptions::x)

// Every stored field, in load order. HTMLWritePCX is not stored.
constexpr Field kFields[] = {
    // Main window
    VIG_TEXT(MainSrcPath), VIG_TEXT(MainDestPath), VIG_INT(MainWidth), VIG_INT(MainHeight),
    VIG_FLAG(MainEnlarge), VIG_INT(MainResizeMethod), VIG_INT(MainOutputFormat),
    VIG_FLAG(MainEnableSingleFile),
    // Image and JPEG
    VIG_FLAG(ImageSharpen), VIG_INT(ImageSharpenLevel), VIG_INT(ImageEnhanceType),
    VIG_TEXT(ImageUserLUTPath), VIG_FLAG(ImageMatte), VIG_COLOUR(ImageMatteColor),
    VIG_FLAG(ImageBilinear), VIG_INT(JPGQuality), VIG_FLAG(ImageAutoOrient),
    VIG_FLAG(JPGDraftDecode), VIG_FLAG(ImageColourManage),
    // Operation
    VIG_FLAG(OpsSilentOperation), VIG_FLAG(OpsErrorLogWindow), VIG_INT(OpsThreads), VIG_INT(OpsMemoryLimit),
    // Files and folders
    VIG_INT(OutputRenameStyle), VIG_TEXT(OutputExtraText), VIG_INT(OutputCase),
    VIG_FLAG(OutputCreateFolder), VIG_FLAG(OutputRecurseSrc), VIG_FLAG(OutputDuplicateSrcTree),
    VIG_FLAG(OutputBranchFromSrc), VIG_TEXT(OutputBranchPath), VIG_TEXT(OutputFilterString),
    VIG_FLAG(OutputFilterJPG), VIG_FLAG(OutputFilterBMP), VIG_FLAG(OutputFilterPNG),
    VIG_FLAG(OutputFilterTIF), VIG_FLAG(OutputFilterPCX), VIG_FLAG(OutputFilterGIF),
    VIG_FLAG(OutputFilterHEIF), VIG_FLAG(OutputFilterAVIF), VIG_FLAG(OutputFilterWEBP),
    VIG_FLAG(OutputDateFilter), MakeTime("OutputDateDate", &BatchOptions::OutputDateDate),
    VIG_FLAG(OutputDateFilterBefore), VIG_INT(OutputSortFiles),
    VIG_FLAG(OutputSortFilesDescending),
    // PNG
    VIG_REAL(PNGScreenGamma), VIG_REAL(PNGFileGamma), VIG_COLOUR(PNGBkColor), VIG_TEXT(PNGKey),
    VIG_TEXT(PNGText), VIG_FLAG(PNGCompressPNGText), VIG_FLAG(PNGCopyPNGText),
    // Overlay
    VIG_FLAG(OverlayOverlay), VIG_TEXT(OverlayPath), VIG_INT(OverlayPos), VIG_INT(OverlayRotation),
    MakeInt("OverlayQuantize", Kind::QuantizeInt, &BatchOptions::OverlayQuantize),
    VIG_INT(OverlayQuantizeColors), VIG_FLAG(OverlayResize), VIG_FLAG(OverlayNoTransparency),
    VIG_COLOUR(OverlayTransColor), VIG_REAL(OverlayOpacity),
    // Batch log
    VIG_FLAG(LogMakeLog), VIG_TEXT(LogPath), VIG_FLAG(LogAppend), VIG_FLAG(LogHeader),
    VIG_FLAG(LogInputName), VIG_FLAG(LogInputDims), VIG_FLAG(LogOutName), VIG_FLAG(LogOutputDims),
    VIG_FLAG(LogPNGText),
    // HTML
    VIG_FLAG(HTMLLog), VIG_FLAG(HTMLTable), VIG_TEXT(HTMLPath), VIG_FLAG(HTMLWriteTitles),
    VIG_FLAG(HTMLMakeSrcLink), VIG_FLAG(HTMLMakeTextLink), VIG_INT(HTMLMakeSrcPages),
    VIG_FLAG(HTMLMakeFileLink), VIG_FLAG(HTMLWriteTIFF), VIG_FLAG(HTMLWriteBMP),
    VIG_FLAG(HTMLWritePNG), VIG_FLAG(HTMLExtHTML), VIG_FLAG(HTMLMakeIndex),
    VIG_FLAG(HTMLMakeSingleIndex), VIG_INT(HTMLTableCols), VIG_INT(HTMLBorderWidth),
    VIG_COLOUR(HTMLBackColor), VIG_COLOUR(HTMLTextColor), VIG_COLOUR(HTMLLinkColor),
    VIG_COLOUR(HTMLVLinkColor), VIG_INT(HTMLTextSize), VIG_INT(HTMLMaxImages),
    VIG_TEXT(HTMLHeader), VIG_TEXT(HTMLHeaderPath), VIG_FLAG(HTMLUseHeaderPath),
    VIG_TEXT(HTMLFooter), VIG_TEXT(HTMLFooterPath), VIG_FLAG(HTMLUseFooterPath),
    VIG_TEXT(HTMLNextText), VIG_TEXT(HTMLPrevText), VIG_TEXT(HTMLSourceTarget),
    VIG_INT(HTMLImageBorder), VIG_INT(HTMLImageVSpace), VIG_INT(HTMLImageHSpace),
    VIG_FLAG(HTMLImageHoriz), VIG_FLAG(HTMLSuppressFirstNumber),
    // Composite
    VIG_FLAG(CompositeMakeComposite), VIG_INT(CompositeRows), VIG_INT(CompositeCols),
    VIG_COLOUR(CompositeBackColor), VIG_COLOUR(CompositeTextColor), VIG_TEXT(CompositeFontName),
    VIG_INT(CompositeFontSize), VIG_TEXT(CompositeBaseName), VIG_FLAG(CompositeWriteToRoot),
    VIG_FLAG(CompositeWriteFileName), VIG_INT(CompositeFormat),
};

#undef VIG_INT
#undef VIG_FLAG
#undef VIG_TEXT
#undef VIG_REAL
#undef VIG_COLOUR

// "%f" without the locale: six decimals, '.' as the decimal point.
std::string FormatReal(double v) {
    char buf[512];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    if (res.ec != std::errc()) return "0.000000";
    return std::string(buf, res.ptr);
}

// The usual text-to-real rule: leading white space, one optional sign, the
// longest number prefix. Text that does not start with a number gives the
// fallback.
double ParseReal(const std::string& text, double fallback) {
    std::string_view s(text);
    while (!s.empty() && std::string_view(" \t\n\v\f\r").find(s.front()) != std::string_view::npos)
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
        if (!s.empty() && (s.front() == '+' || s.front() == '-')) return fallback;
    }
    double v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr == s.data()) return fallback;
    return negative ? -v : v;
}

int ToInt32(long long v, int fallback) {
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return fallback;
    return static_cast<int>(v);
}

}  // namespace

BatchOptions FirstRunOptions(int64_t now) {
    BatchOptions o;
    o.OutputDateDate = now;
    return o;
}

void BatchOptions::Reset() {
    const int silent = OpsSilentOperation;
    *this = FirstRunOptions(static_cast<int64_t>(std::time(nullptr)));
    const std::string temp = paths::StripTrailingSeparator(platform::TempFolder());
    MainSrcPath = temp;
    MainDestPath = temp;
    OutputCreateFolder = 1;
    OutputFilterGIF = 0;
    OverlayPos = 1;
    OverlayNoTransparency = 0;
    OpsSilentOperation = silent;
}

void BatchOptions::Load(ProfileStore& store) {
    const BatchOptions defaults = FirstRunOptions(static_cast<int64_t>(std::time(nullptr)));
    for (const Field& f : kFields) {
        const std::string name = f.name;
        switch (f.kind) {
            case Kind::Int:
            case Kind::QuantizeInt: {
                const int def = defaults.*f.i;
                this->*f.i = ToInt32(store.ReadInt(name, def), def);
                break;
            }
            case Kind::Flag: {
                const int def = defaults.*f.i;
                this->*f.i = ToInt32(store.ReadInt(name, def), def) == 1 ? 1 : 0;
                break;
            }
            case Kind::Text:
                this->*f.s = store.ReadString(name, defaults.*f.s);
                break;
            case Kind::Time:
                this->*f.t = store.ReadInt(name, defaults.*f.t);
                break;
            case Kind::Colour: {
                const Colour def = defaults.*f.c;
                const int r = ToInt32(store.ReadInt(name + "Red", ColourRed(def)), ColourRed(def));
                const int g =
                    ToInt32(store.ReadInt(name + "Green", ColourGreen(def)), ColourGreen(def));
                const int b =
                    ToInt32(store.ReadInt(name + "Blue", ColourBlue(def)), ColourBlue(def));
                this->*f.c = vig::options::MakeColour(r, g, b);
                break;
            }
            case Kind::Real: {
                const double def = defaults.*f.d;
                this->*f.d = ParseReal(store.ReadString(name, FormatReal(def)), def);
                break;
            }
        }
    }
    if (OutputFilterString.empty()) OutputFilterString.assign(1, '*');
}

void BatchOptions::Save(ProfileStore& store) const {
    for (const Field& f : kFields) {
        const std::string name = f.name;
        switch (f.kind) {
            case Kind::Int:
                store.WriteInt(name, this->*f.i);
                break;
            case Kind::Flag:
            case Kind::QuantizeInt:
                store.WriteInt(name, this->*f.i != 0 ? 1 : 0);
                break;
            case Kind::Text:
                store.WriteString(name, this->*f.s);
                break;
            case Kind::Time:
                store.WriteInt(name, this->*f.t);
                break;
            case Kind::Colour: {
                const Colour c = this->*f.c;
                store.WriteInt(name + "Red", ColourRed(c));
                store.WriteInt(name + "Green", ColourGreen(c));
                store.WriteInt(name + "Blue", ColourBlue(c));
                break;
            }
            case Kind::Real:
                store.WriteString(name, FormatReal(this->*f.d));
                break;
        }
    }
}

}  // namespace vig::options
