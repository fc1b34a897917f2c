#include "documents/batch_log.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>
#include <set>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace vig {
namespace {

using test::ReadFileText;
using test::TempDir;

// Writes through a real stream, as the run does.
template <typename F>
std::string Capture(F write) {
    TempDir dir;
    std::FILE* f = std::fopen((dir / "log.txt").c_str(), "w");
    EXPECT_NE(f, nullptr);
    write(f);
    std::fclose(f);
    return ReadFileText(dir / "log.txt");
}

const char kS[] = "----------------------------------\n";
// 2001-09-09 01:46:40 UTC, a Sunday.
constexpr std::time_t kStart = 1000000000;

std::string Header(const options::BatchOptions& o) {
    return Capture([&](std::FILE* f) { documents::WriteLogHeader(f, o, kStart); });
}

// Dates are written in local time: these tests run in UTC.
[[maybe_unused]] const bool kInUtc = [] {
    setenv("TZ", "UTC0", 1);
    tzset();
    return true;
}();

TEST(BatchLog, HeaderWithTheFirstRunSettings) {
    options::BatchOptions o;
    o.MainSrcPath = "/pics";
    o.MainDestPath = "/thumbs";
    EXPECT_EQ(Header(o), std::string("Vignettor Log\nSunday, September 09, 2001 - 01:46:40\n") +
                             kS + "Input directory /pics\nOutput directory /thumbs\n" +
                             "Input file format filter : BMP GIF JPG TIF PNG HEIF AVIF WEBP \n" +
                             "Input file filter *\n" + kS + "Output format : JPG\n" +
                             "Resize type : Best fit\n" + "Output dimensions : 100 x 100\n" + kS +
                             "JPG Quality : 75\n" + "Enhancement : None\n" + kS +
                             "PNG file gamma  : 0.000000\nPNG screen gamma : 2.200000\n" +
                             "PNG background color RGB : 0,0,0\n" + "PNG key : \n" +
                             "PNG text  : \n" + kS);
}

TEST(BatchLog, HeaderWithEveryOptionalBlock) {
    options::BatchOptions o;
    o.MainSrcPath = "/in";
    o.MainDestPath = "/out";
    o.OutputFilterBMP = 0;
    o.OutputFilterTIF = 0;
    o.OutputFilterHEIF = 0;
    o.OutputFilterWEBP = 0;
    o.OutputFilterString = "*.jpg";
    o.OpsSilentOperation = 1;
    o.MainOutputFormat = options::FormatTiff8;
    o.MainResizeMethod = options::PixelArea;
    o.MainWidth = 10000;
    o.JPGQuality = 90;
    o.ImageSharpen = 1;
    o.ImageSharpenLevel = 35;
    o.ImageMatte = 1;
    o.ImageMatteColor = options::MakeColour(1, 2, 3);
    o.ImageEnhanceType = options::UserLut;
    o.ImageUserLUTPath = "/curves/c.txt";
    o.PNGFileGamma = 0.45455;
    o.PNGBkColor = options::MakeColour(255, 128, 0);
    o.PNGKey = "Title";
    o.PNGText = "Holiday";
    o.PNGCompressPNGText = 1;
    o.PNGCopyPNGText = 1;
    o.OverlayOverlay = 1;
    o.OverlayPath = "/logo.bmp";
    o.OverlayTransColor = options::MakeColour(0, 255, 0);
    o.OverlayPos = 6;
    o.OverlayOpacity = 0.555;
    o.OverlayRotation = 3;
    EXPECT_EQ(Header(o),
              std::string("Vignettor Log\nSunday, September 09, 2001 - 01:46:40\n") + kS +
                  "Input directory /in\nOutput directory /out\n" +
                  "Input file format filter : GIF JPG PNG AVIF \n" + "Input file filter *.jpg\n" +
                  kS + "Silent Operation\n" + kS + "Output format : TIFF-8\n" +
                  "Resize type : Pixel area\n" + "Output Area : 10000 (pixels)\n" + kS +
                  "JPG Quality : 90\n" + "Sharpening On\nSharpening level 35\n" +
                  "Matte On\nMatte color RGB : 1,2,3\n" + "Enhancement : User defined LUT\n" +
                  "Enhancement User LUT: /curves/c.txt\n" + kS +
                  "PNG file gamma  : 0.454550\nPNG screen gamma : 2.200000\n" +
                  "PNG background color RGB : 255,128,0\n" + "PNG key : Title\n" +
                  "PNG text (compressed) : Holiday\n" + "PNG text copied from source files\n" + kS +
                  "Overlay image : /logo.bmp\n" + "Overlay transparent color RGB : 0,255,0\n" +
                  "Overlay position : Top Right\n" + "Overlay opacity : 55%\n" +
                  "Overlay rotation : 270cw\n" + kS);
}

TEST(BatchLog, NamesForEveryCodeAndOutOfRangeValues) {
    // The line of the header that starts with `prefix`.
    const auto line = [](const options::BatchOptions& o, const std::string& prefix) {
        const std::string text = Header(o);
        const size_t at = text.find(prefix);
        return at == std::string::npos ? std::string("<missing>")
                                       : text.substr(at, text.find('\n', at) - at);
    };
    options::BatchOptions o;
    // The ends of the table, the names left to us, and codes beyond it.
    const std::pair<int, const char*> formats[] = {
        {0, "none"},           {12, "TIFF-24"}, {14, "TIFF-8 grayscale"},
        {19, "GIF grayscale"}, {20, ""},        {-1, ""}};
    for (const auto& [code, name] : formats) {
        o.MainOutputFormat = code;
        EXPECT_EQ(line(o, "Output format"), std::string("Output format : ") + name);
    }
    o.MainResizeMethod = 7;
    o.ImageEnhanceType = 9;
    o.OverlayOverlay = 1;
    o.OverlayPos = 14;
    o.OverlayRotation = 4;
    o.OverlayOpacity = 1e300;
    EXPECT_EQ(line(o, "Resize type"), "Resize type : ");
    EXPECT_EQ(line(o, "Enhancement"), "Enhancement : None");
    EXPECT_EQ(line(o, "Enhancement User LUT"), "<missing>");
    EXPECT_EQ(line(o, "Overlay position"), "Overlay position : Bottom Left");
    EXPECT_EQ(line(o, "Overlay rotation"), "Overlay rotation : ");
    EXPECT_EQ(line(o, "Overlay opacity"), "Overlay opacity : 2147483647%");
}

TEST(BatchLog, NumbersAndNamesDoNotFollowTheLocale) {
    options::BatchOptions o;
    o.PNGScreenGamma = 1.5;
    bool found = false;
    for (const char* l : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
        if (std::setlocale(LC_ALL, l) != nullptr) {
            found = true;
            break;
        }
    if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string text = Header(o);
    std::setlocale(LC_ALL, "C");
    EXPECT_NE(text.find("PNG screen gamma : 1.500000\n"), std::string::npos);
    EXPECT_NE(text.find("Sunday, September 09, 2001"), std::string::npos);
}

TEST(BatchLog, PerFileLinesFollowTheirSwitches) {
    options::BatchOptions o;
    o.LogMakeLog = 1;
    const std::vector<image::PngTextEntry> texts = {{true, "Sunset", "Title"},
                                                    {false, "Me", "Author"}};
    const auto lines = [&](bool withError) {
        return Capture([&](std::FILE* f) {
            documents::WriteLogInputLines(f, o, "/in/a.png", 640, 480, texts);
            documents::WriteLogOutputLine(f, o, "/out/a.jpg", 100, 75);
            if (withError) documents::WriteLogErrorLine(f, image::ErrInvalidPng);
        });
    };
    // Name without dimensions: the output entry continues the same line.
    o.LogInputName = 1;
    o.LogOutName = 1;
    o.LogOutputDims = 1;
    EXPECT_EQ(lines(true), "Input   : /in/a.png  Output  : /out/a.jpg  ( 100 x 75 )\n** Error " +
                               image::ErrorText(image::ErrInvalidPng) + "\n");

    o.LogInputDims = 1;
    o.LogPNGText = 1;
    o.LogOutName = 0;
    EXPECT_EQ(lines(false),
              "Input   : /in/a.png  ( 640 x 480 )\n"
              "PNG Text : Title (Compressed) : Sunset\n"
              "PNG Text : Author  : Me\n");

    // Dimensions alone write nothing; no stream, nothing at all.
    o.LogInputName = 0;
    o.LogPNGText = 0;
    EXPECT_EQ(lines(false), "");
    documents::WriteLogInputLines(nullptr, o, "x", 1, 1, texts);
    documents::WriteLogOutputLine(nullptr, o, "x", 1, 1);
    documents::WriteLogErrorLine(nullptr, image::ErrOpenFile);
    documents::WriteLogHeader(nullptr, o, kStart);
}

// What a run's guard hears of its documents.
struct RecordingGuard final : documents::DocumentGuard {
    bool MayWrite(const std::string& path) override { return forbidden.count(path) == 0; }
    void Written(const std::string&) override {}
    void Failed(const std::string& path, image::ErrorCode code, const char*) override {
        failures.push_back(path + " " + std::to_string(code));
    }
    std::set<std::string> forbidden;
    std::vector<std::string> failures;
};

TEST(BatchLog, WritesEachRunWholeAndReportsWhatItCannotWrite) {
    TempDir dir;
    options::BatchOptions o;
    o.LogPath = dir / "run.log";
    RecordingGuard guard;
    EXPECT_FALSE(documents::BatchLog().Open(o, kStart, guard));  // LogMakeLog off
    o.LogMakeLog = 1;
    o.LogHeader = 1;
    const auto run = [&] {
        documents::BatchLog log;
        ASSERT_TRUE(log.Open(o, kStart, guard));
        documents::WriteLogErrorLine(log.file(), image::ErrOpenFile);
        EXPECT_TRUE(log.Finish());
    };
    run();
    run();
    const std::string one = ReadFileText(dir / "run.log");
    EXPECT_EQ(one, Header(o) + "** Error " + image::ErrorText(image::ErrOpenFile) + "\n");

    o.LogAppend = 1;
    run();
    EXPECT_EQ(ReadFileText(dir / "run.log"), one + one);
    {
        // A run killed before it flushed any lines adds nothing.
        documents::BatchLog log;
        ASSERT_TRUE(log.Open(o, kStart, guard));
        documents::WriteLogErrorLine(log.file(), image::ErrOpenFile);
    }
    EXPECT_EQ(ReadFileText(dir / "run.log"), one + one);

    // The user's link is followed, in both modes.
    ASSERT_EQ(symlink((dir / "run.log").c_str(), (dir / "link.log").c_str()), 0);
    o.LogPath = dir / "link.log";
    run();
    o.LogAppend = 0;
    run();
    EXPECT_EQ(ReadFileText(dir / "run.log"), one);
    struct stat st {};
    EXPECT_TRUE(lstat((dir / "link.log").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_TRUE(guard.failures.empty());

    // A missing folder, a pipe (never waited on) and a file the run must
    // not replace are reported, and leave what stood there.
    ASSERT_EQ(mkfifo((dir / "pipe.log").c_str(), 0644), 0);
    guard.forbidden.insert(dir / "run.log");
    const std::vector<std::pair<std::string, int>> refused = {
        {dir / "missing/run.log", 0}, {dir / "missing/run.log", 1}, {dir / "pipe.log", 0},
        {dir / "pipe.log", 1},         {dir / "run.log", 0},         {dir / "run.log", 1}};
    for (const auto& [path, append] : refused) {
        o.LogPath = path;
        o.LogAppend = append;
        guard.failures.clear();
        documents::BatchLog log;
        EXPECT_TRUE(!log.Open(o, kStart, guard) || !log.Finish()) << path;
        EXPECT_EQ(guard.failures.size(), 1u) << path << " " << append;
    }
    EXPECT_EQ(ReadFileText(dir / "run.log"), one);
    EXPECT_TRUE(lstat((dir / "pipe.log").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

TEST(BatchLog, FlushedLinesStayWhenTheRunIsKilledAndTheOldLogStaysUntilThen) {
    TempDir dir;
    options::BatchOptions o;
    o.LogPath = dir / "run.log";
    o.LogMakeLog = 1;
    o.LogHeader = 1;
    RecordingGuard guard;
    const std::string old = "the last run\n";
    const auto error = [](image::ErrorCode code) {
        return "** Error " + image::ErrorText(code) + "\n";
    };
    for (const int append : {0, 1}) {
        o.LogAppend = append;
        ASSERT_TRUE(test::WriteFileText(o.LogPath, old));
        const std::string before = append ? old : "";
        {
            documents::BatchLog log;
            ASSERT_TRUE(log.Open(o, kStart, guard));
            documents::WriteLogErrorLine(log.file(), image::ErrOpenFile);
            EXPECT_EQ(ReadFileText(o.LogPath), old) << append;
            log.Flush();
            EXPECT_EQ(ReadFileText(o.LogPath), before + Header(o) + error(image::ErrOpenFile))
                << append;
            documents::WriteLogErrorLine(log.file(), image::ErrWriteFile);
            log.Flush();
            documents::WriteLogErrorLine(log.file(), image::ErrParameter);
            // Killed here: the last line was never flushed.
        }
        EXPECT_EQ(ReadFileText(o.LogPath),
                  before + Header(o) + error(image::ErrOpenFile) + error(image::ErrWriteFile))
            << append;
    }
    EXPECT_TRUE(guard.failures.empty());

    // A new log moved away meanwhile (rotated, say) is put in place again
    // whole; one that a file of the run has replaced stays replaced.
    o.LogAppend = 0;
    for (const bool ofTheRun : {false, true}) {
        documents::BatchLog log;
        ASSERT_TRUE(log.Open(o, kStart, guard));
        log.Flush();
        documents::WriteLogErrorLine(log.file(), image::ErrOpenFile);
        ASSERT_EQ(std::rename(o.LogPath.c_str(), (dir / "rotated").c_str()), 0);
        if (ofTheRun) {
            ASSERT_TRUE(test::WriteFileText(o.LogPath, "a thumbnail"));
            guard.forbidden.insert(o.LogPath);
        }
        EXPECT_EQ(log.Finish(), !ofTheRun);
        EXPECT_EQ(ReadFileText(o.LogPath),
                  ofTheRun ? "a thumbnail" : Header(o) + error(image::ErrOpenFile));
        EXPECT_EQ(guard.failures, ofTheRun ? std::vector<std::string>{o.LogPath + " 56"}
                                           : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace vig
