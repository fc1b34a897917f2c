#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "cli/cli_runner.h"
#include "engine/engine_test_util.h"
#include "platform/files.h"
#include "support/colour_profiles.h"
#include "support/encoder_tools.h"
#include "support/exif_jpeg.h"
#include "support/preview_jpeg.h"
#include "support/tagged_pictures.h"
#include "support/temp_dir.h"

namespace vig::test {
namespace {

using Args = std::vector<std::string>;
using Size = std::pair<int, int>;

Args Names(const std::string& folder) {
    Args names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CliRun : public ::testing::Test {
protected:
    CliRun() {
        MakeFolder(box.dir() / "in");
        MakeFolder(box.dir() / "out");
        WriteBmp(In("a.bmp"), 200, 100);
    }
    std::string In(const std::string& name) const { return box.dir() / ("in/" + name); }
    std::string Out(const std::string& name) const { return box.dir() / ("out/" + name); }
    // Headless single-file and directory runs with these switches.
    RunResult File(const std::string& in, const std::string& out, const Args& switches = {}) {
        Args args{"/h", "/f", in, out};
        args.insert(args.end(), switches.begin(), switches.end());
        return box.Run(args);
    }
    RunResult Dir(const Args& switches = {}, const std::string& source = "in") {
        Args args{"/h", "/d", box.dir() / source, box.dir() / "out"};
        args.insert(args.end(), switches.begin(), switches.end());
        return box.Run(args);
    }
    CliSandbox box;
};

TEST(Cli, EveryStartRecordsTheProgramPathAndHeadlessRunsSaveNothingElse) {
    CliSandbox box;
    const RunResult r = box.Run({});
    EXPECT_EQ(r.status, 2) << "no display to open the window on";
    EXPECT_NE(r.err.find("vignettor /h /d"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line";
    const std::string program = "VignettorApp=" + std::string(VIG_PROGRAM);
    EXPECT_NE(ReadFileText(box.ConfigFile()).find(program), std::string::npos);

    box.WriteSettings({"MainWidth=77"});
    box.Run({"/HIDE"});
    const std::string settings = ReadFileText(box.ConfigFile());
    EXPECT_NE(settings.find("[vignettor]"), std::string::npos);
    EXPECT_NE(settings.find("MainWidth=77"), std::string::npos);
    EXPECT_NE(settings.find(program), std::string::npos);
    EXPECT_EQ(settings.find("MainHeight"), std::string::npos)
        << "headless runs never save settings";
}

TEST_F(CliRun, UsageErrorsExitWithTwoAndProcessNothing) {
    const std::string in = box.dir() / "in", out = box.dir() / "out";
    for (const Args& args : {Args{"/h"},
                             {"/h", "/f"},
                             {"/h", "/f", In("a.bmp")},
                             {"/h", "/z", In("a.bmp"), Out("a.jpg")},
                             {"/h", "/f", In("a.bmp"), Out("a.jpg"), "/s", "120"},
                             {"/h", "/d", in, out, "/t+", "32/1/2000"},
                             {"/h", "/d", in, out, "/eu"}}) {
        const RunResult r = box.Run(args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_NE(r.err.find("usage"), std::string::npos);
        EXPECT_TRUE(Names(out).empty());
    }
    // Not headless: the window, and without a display a word on that.
    EXPECT_EQ(box.Run({"/f", In("a.bmp"), Out("a.jpg")}).status, 2);
    const RunResult help = box.Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage"), std::string::npos);
    EXPECT_NE(help.out.find("Vignettor v4.4"), std::string::npos);
    const RunResult version = box.Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Vignettor 4.4.0.1\n");
}

TEST_F(CliRun, SingleFileExamplesMakeTheirThumbnails) {
    WriteBmp(In("small.bmp"), 60, 40);
    const struct {
        Args switches;
        Size size;
    } rows[] = {
        // Best fit JPEG enlarged to fit 120 x 90.
        {{"/n", "/r", "0", "/o", "3", "/s", "120", "90"}, {120, 80}},
        {{"/s", "120", "90"}, {60, 40}},            // without "/n" nothing is enlarged
        {{"/r", "6", "/s", "10", "10"}, {60, 40}},  // "/r 6" keeps the size
        {{"/r", "9", "/s", "30", "30"}, {30, 20}},  // "/r 9" is best fit
    };
    for (const auto& row : rows) {
        const std::string out = box.dir() / "a.jpg";
        std::filesystem::remove(out);
        const RunResult r = File(In("small.bmp"), out, row.switches);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ImageSize(out), row.size) << row.switches[1];
    }
    // "/o 14" is GIF; the path is used as given: the naming switches and the
    // letter case do not apply.
    const std::string out = Out("with blank.X");
    EXPECT_EQ(File(In("a.bmp"), out, {"/o", "14", "/np", "p_", "/cu"}).status, 0);
    EXPECT_EQ(ReadFileText(out).substr(0, 4), "GIF8");
    EXPECT_EQ(Names(box.dir() / "out"), (Args{"with blank.X"}));
}

TEST_F(CliRun, FailuresAreReportedOnStderrWithStatusOne) {
    MakeFile(In("bad.bmp"), "not a bitmap");
    RunResult r = File(In("bad.bmp"), Out("bad.jpg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File : " + In("bad.bmp") + "\nContext : Single File Start"),
              std::string::npos);
    EXPECT_FALSE(FileExists(Out("bad.jpg")));
    // Directory runs report failed files and go on.
    r = Dir();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Processed 2 of 2 files\n");
    EXPECT_NE(r.err.find("File : " + In("bad.bmp") + "\nContext : File Process\n\n"),
              std::string::npos);
    EXPECT_TRUE(FileExists(Out("a.jpg")));
    EXPECT_EQ(Dir({}, "missing").status, 1);
    // A switch at position 3 is a path.
    r = File("/n", Out("x.jpg"), {"/n"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File : /n\n"), std::string::npos);
    // A missing overlay is reported and switched off; the file is still made.
    box.WriteSettings({"OverlayOverlay=1", "OverlayPath=" + In("none.bmp")});
    r = File(In("a.bmp"), Out("o.jpg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File : " + In("none.bmp") +
                         "\nContext : Single File Start, Overlay Load\nSetting Overlay OFF"),
              std::string::npos);
    EXPECT_EQ(ImageSize(Out("o.jpg")), Size(100, 50));
}

TEST_F(CliRun, DirectoryRunNamesEveryFileAndPrintsTheSummary) {
    WriteBmp(In("B.bmp"), 30, 30);
    RunResult r = box.Run({"/hide", "/D", box.dir() / "in", box.dir() / "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Processed 2 of 2 files\n");
    EXPECT_EQ(Names(box.dir() / "out"), (Args{"B.jpg", "a.jpg"}));
    EXPECT_EQ(ImageSize(Out("a.jpg")), Size(100, 50)) << "the stored 100 x 100 best fit";

    // Without a naming switch same-named files are overwritten.
    Dir({"/s", "20", "20"});
    EXPECT_EQ(Names(box.dir() / "out"), (Args{"B.jpg", "a.jpg"}));
    EXPECT_EQ(ImageSize(Out("a.jpg")), Size(20, 10));

    Dir({"/nn"});
    Dir({"/np", "p_", "/cl"});
    Dir({"/ns", "_s", "/cu", "/o", "9"});
    EXPECT_EQ(Names(box.dir() / "out"), (Args{"A_S.PNG", "B.jpg", "B1.jpg", "B_S.PNG", "a.jpg",
                                              "a1.jpg", "p_a.jpg", "p_b.jpg"}));
    EXPECT_EQ(ImageSize(Out("A_S.PNG")), Size(100, 50));
}

TEST_F(CliRun, UpperCaseNamesNeverOverwriteWithAutoNumbering) {
    MakeFile(Out("A.JPG"), "precious");
    EXPECT_EQ(Dir({"/nn", "/cu"}).status, 0);
    EXPECT_EQ(ReadFileText(Out("A.JPG")), "precious");
    EXPECT_TRUE(FileExists(Out("A1.JPG")));
}

TEST_F(CliRun, ResetSwitchIsLowerCaseOnlyAndKeepsTheFolders) {
    box.WriteSettings(
        {"MainWidth=30", "MainHeight=30", "MainSrcPath=/nonexistent", "OutputRenameStyle=3"});
    EXPECT_EQ(Dir({"/X"}).status, 0);
    EXPECT_EQ(ImageSize(Out("a.jpg")), Size(30, 15)) << "/X is no reset";
    const RunResult r = Dir({"/x", "/nn"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n") << "the source folder stays the one given";
    EXPECT_EQ(ImageSize(Out("a1.jpg")), Size(100, 50)) << "reset size 100 x 100";
}

TEST_F(CliRun, DateFilterSwitches) {
    SetModified(In("a.bmp"), 946684800 + 86400 * 400);  // early 2001
    WriteBmp(In("old.bmp"), 10, 10);
    SetModified(In("old.bmp"), 946684800 - 86400 * 400);  // late 1998
    RunResult r = Dir({"/t+", "1/1/2000"});
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n");
    EXPECT_EQ(Names(box.dir() / "out"), (Args{"a.jpg"}));
    r = Dir({"/t-", "31/2/1999"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n");
    EXPECT_TRUE(FileExists(Out("old.jpg")));
}

TEST_F(CliRun, ThreadsDraftDecodingAndUprightPhotosFromTheCommandLine) {
    // A 200 x 100 photo taken with the camera turned clockwise.
    image::CPxImage image;
    ASSERT_EQ(image.Load(In("a.bmp")), image::ErrNone);
    ASSERT_EQ(image.Save(In("p.jpg"), options::FormatJpg), image::ErrNone);
    WriteFileBytes(In("p.jpg"), WithApp1(ReadFileBytes(In("p.jpg")), ExifOrientationBlock(6)));
    box.WriteSettings(
        {"LogMakeLog=1", "LogPath=" + box.dir() / "run.log", "LogInputName=1", "LogInputDims=1"});
    RunResult r = Dir({"/j", "3", "/fast", "/a"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "") << "every switch is taken";
    EXPECT_EQ(ImageSize(Out("p.jpg")), Size(50, 100)) << "upright";
    EXPECT_NE(ReadFileText(box.dir() / "run.log").find("p.jpg  ( 100 x 200 )\n"), std::string::npos)
        << "the photo's full size, upright, whatever scale it was decoded at";
    r = Dir({"/j", "1", "/fast"});
    EXPECT_EQ(ImageSize(Out("p.jpg")), Size(100, 50)) << "as stored";
    EXPECT_EQ(File(In("p.jpg"), Out("single.jpg"), {"/a", "/j", "2"}).err,
              "vignettor: warning: ignoring argument \"/j\"\n"
              "vignettor: warning: ignoring argument \"2\"\n");
    EXPECT_EQ(ImageSize(Out("single.jpg")), Size(50, 100));
}

// JPEG, PNG and TIFF pictures that carry a colour profile: without /cm (or
// the stored ImageColourManage) their thumbnails are byte for byte those of
// the same pictures without a profile; with it they are converted, and a
// profile that cannot be used is a warning on stderr that leaves the exit
// status 0 and the thumbnail as if there were no profile.
TEST_F(CliRun, ColourProfilesConvertOnlyWhenAskedAndDamagedOnesAreWarnings) {
    const std::vector<uint8_t> p3 = DisplayP3Profile();
    const std::vector<uint8_t> rgb =
        Patches({{255, 0, 0}, {200, 60, 50}, {60, 170, 80}, {40, 60, 160}, {128, 128, 128}}, 40);
    const std::string tagged = box.dir() / "tagged", plain = box.dir() / "plain";
    MakeFolder(tagged);
    MakeFolder(plain);
    // The thumbnails are JPEG files named by the pictures' stems.
    const std::pair<std::string, TaggedFormat> pictures[] = {{"jpeg", TaggedFormat::Jpeg},
                                                             {"png", TaggedFormat::Png},
                                                             {"tiff", TaggedFormat::Tiff},
                                                             {"cut", TaggedFormat::Jpeg}};
    for (const auto& [stem, format] : pictures) {
        const std::string name = stem + ExtensionOf(format);
        const std::vector<uint8_t> profile = stem == "cut" ? Truncated(p3, 300) : p3;
        ASSERT_TRUE(WriteTagged(format, tagged + "/" + name, rgb, 200, 40, profile));
        ASSERT_TRUE(WriteTagged(format, plain + "/" + name, rgb, 200, 40, {}));
    }
    // Each run into a folder of its own.
    const auto run = [&](const std::string& source, const std::string& output, const Args& more) {
        MakeFolder(box.dir() / output);
        Args args{"/h", "/d", source, box.dir() / output};
        args.insert(args.end(), more.begin(), more.end());
        return box.Run(args);
    };
    const auto thumbnail = [&](const std::string& output, const std::string& stem) {
        return ReadFileBytes(box.dir() / (output + "/" + stem + ".jpg"));
    };
    RunResult r = run(plain, "from-plain", {});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run(tagged, "as-stored", {});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const auto& [stem, format] : pictures) {
        ASSERT_FALSE(thumbnail("from-plain", stem).empty()) << stem;
        EXPECT_EQ(thumbnail("as-stored", stem), thumbnail("from-plain", stem)) << stem;
    }

    r = run(tagged, "converted", {"/cm"});
    EXPECT_EQ(r.status, 0) << "a warning is no report";
    EXPECT_EQ(r.err,
              "vignettor: " + tagged + "/cut.jpg: Colour profile ignored: it could not be read\n");
    for (const auto& [stem, format] : pictures) {
        if (stem == "cut")
            EXPECT_EQ(thumbnail("converted", stem), thumbnail("from-plain", stem));
        else
            EXPECT_NE(thumbnail("converted", stem), thumbnail("from-plain", stem)) << stem;
    }
    box.WriteSettings({"ImageColourManage=1"});
    r = run(tagged, "by-setting", {});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("cut.jpg: Colour profile ignored"), std::string::npos);
    for (const auto& [stem, format] : pictures)
        EXPECT_EQ(thumbnail("by-setting", stem), thumbnail("converted", stem)) << stem;
}

// WebP (like HEIC and AVIF) pictures are converted without being asked; a
// profile cut short is a warning there too.
TEST_F(CliRun, NewFormatsConvertTheirProfilesWithoutTheSwitch) {
    VIG_SKIP_WITHOUT("cwebp", "webpmux");
    const std::vector<uint8_t> p3 = DisplayP3Profile();
    Samples samples;
    samples.width = 120;
    samples.height = 40;
    const std::vector<uint8_t> rgb = Patches({{200, 60, 50}, {60, 170, 80}, {40, 60, 160}}, 40);
    samples.values.assign(rgb.begin(), rgb.end());
    const std::vector<std::string> cwebp = {"cwebp", "-quiet", "-lossless", "-metadata", "icc"};
    for (const char* folder : {"tagged", "plain"}) MakeFolder(box.dir() / folder);
    ASSERT_TRUE(EncodePicture(box.dir() / "plain/p3.webp", samples, cwebp));
    ASSERT_TRUE(EncodePicture(box.dir() / "tagged/p3.webp", samples, cwebp, p3));
    ASSERT_TRUE(WriteFileBytes(box.dir() / "cut.icc", Truncated(p3, 200)));
    ASSERT_TRUE(RunProgram({"webpmux", "-set", "icc", box.dir() / "cut.icc",
                            box.dir() / "plain/p3.webp", "-o", box.dir() / "tagged/cut.webp"}));
    std::filesystem::copy_file(box.dir() / "plain/p3.webp", box.dir() / "plain/cut.webp");
    std::vector<uint8_t> thumbnails[2][2];  // [tagged][cut]
    for (const bool tagged : {false, true}) {
        const RunResult r = Dir({}, tagged ? "tagged" : "plain");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, tagged ? "vignettor: " + box.dir() / "tagged/cut.webp" +
                                      ": Colour profile ignored: it could not be read\n"
                                : "");
        for (const bool cut : {false, true})
            thumbnails[tagged][cut] = ReadFileBytes(Out(cut ? "cut.jpg" : "p3.jpg"));
    }
    EXPECT_FALSE(thumbnails[0][0].empty());
    EXPECT_NE(thumbnails[1][0], thumbnails[0][0]) << "converted";
    EXPECT_EQ(thumbnails[1][1], thumbnails[0][1]) << "as if it had no profile";
}

// The four quarters of the upright test photo have colours of their own
// (0xRRGGBB: top left, top right, bottom left, bottom right), so a wrong turn
// or mirror moves a colour to another quarter.
uint32_t QuarterColour(int x, int y, int w, int h) {
    static constexpr uint32_t kColours[4] = {0xD02020, 0x20B020, 0x2040E0, 0xE0D030};
    return kColours[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
}

// Where a camera that records `orientation` stores the pixel (x, y) of a
// picture that is w x h upright: (column, row) in the stored picture, which
// lies on its side (h x w) for orientations 5 to 8.
std::pair<int, int> StoredAt(int orientation, int x, int y, int w, int h) {
    switch (orientation) {
        case 2:
            return {w - 1 - x, y};  // mirrored
        case 3:
            return {w - 1 - x, h - 1 - y};  // upside down
        case 4:
            return {x, h - 1 - y};  // mirrored top to bottom
        case 5:
            return {y, x};  // mirrored across the diagonal
        case 6:
            return {y, w - 1 - x};  // camera turned clockwise
        case 7:
            return {h - 1 - y, w - 1 - x};
        case 8:
            return {h - 1 - y, x};  // camera turned anticlockwise
        default:
            return {x, y};
    }
}

// A 160 x 96 photo drawn in quarters, stored as a camera of this orientation
// stores it, with the EXIF block that says so. The quarter edges fall on the
// edges of JPEG blocks.
bool WriteTurnedPhoto(const std::string& path, int orientation) {
    const int w = 160, h = 96;
    const bool side = orientation >= 5;
    image::PixelBlock block;
    if (!block.AllocateRgb(side ? h : w, side ? w : h)) return false;
    const size_t stride = size_t(side ? h : w) * 3;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto [column, row] = StoredAt(orientation, x, y, w, h);
            uint8_t* p = block.data() + size_t(row) * stride + size_t(column) * 3;
            const uint32_t c = QuarterColour(x, y, w, h);
            p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
        }
    }
    image::CPxImage image;
    image.Adopt(std::move(block), side ? h : w, side ? w : h);
    image.SetJpegQuality(95);
    return image.Save(path, options::FormatJpg) == image::ErrNone &&
           WriteFileBytes(path, WithApp1(ReadFileBytes(path), ExifOrientationBlock(orientation)));
}

TEST_F(CliRun, EveryOrientationGivesAnUprightThumbnailAndTheUprightSizeInTheLog) {
    MakeFolder(box.dir() / "photos");
    for (int o = 1; o <= 8; ++o)
        ASSERT_TRUE(WriteTurnedPhoto(box.dir() / ("photos/o" + std::to_string(o) + ".jpg"), o));
    box.WriteSettings({"MainWidth=40", "MainHeight=40", "MainOutputFormat=9", "LogMakeLog=1",
                       "LogPath=" + box.dir() / "run.log", "LogInputName=1", "LogInputDims=1"});
    // One file at a time and several; at full scale and at a draft scale.
    for (const Args& switches : {Args{"/a", "/j", "1"}, Args{"/a", "/fast", "/j", "3"}}) {
        const std::string how = switches[1] + " " + switches.back();
        std::filesystem::remove(box.dir() / "run.log");
        const RunResult r = Dir(switches, "photos");
        ASSERT_EQ(r.status, 0) << how << r.err;
        const std::string log = ReadFileText(box.dir() / "run.log");
        for (int o = 1; o <= 8; ++o) {
            // Appended: GCC's bounds check misreads "o" + std::to_string(o).
            const std::string name = std::string("o").append(std::to_string(o));
            EXPECT_NE(log.find(name + ".jpg  ( 160 x 96 )\n"), std::string::npos)
                << how << ": the full size upright, orientation " << o << "\n"
                << log;
            image::CPxImage thumb;
            ASSERT_EQ(thumb.Load(Out(name + ".png")), image::ErrNone)
                << how << ", orientation " << o;
            ASSERT_EQ(Size(thumb.width(), thumb.height()), Size(40, 24))
                << how << ", orientation " << o;
            int worst = 0;
            const uint8_t* p = thumb.data();
            for (int y = 0; y < 24; ++y) {
                for (int x = 0; x < 40; ++x, p += 3) {
                    const uint32_t want = QuarterColour(x, y, 40, 24);
                    for (int i = 0; i < 3; ++i)
                        worst = std::max(worst, std::abs(p[i] - int(want >> (16 - 8 * i) & 0xFF)));
                }
            }
            // JPEG's halved colour resolution blends the colours along a
            // quarter's edge a little; a quarter out of place is off by 176
            // or more.
            EXPECT_LE(worst, 40) << how << ": orientation " << o << " upright";
        }
    }
}

// Under /fast a camera's file gives its embedded preview's pixels, but the
// thumbnail has the size and orientation the picture itself gives (by box
// and by bilinear resizing) and nearly its pixels, and the log the
// picture's size; without /fast the thumbnail is byte for byte the
// picture's own.
TEST_F(CliRun, EmbeddedPreviewsLeaveSizeOrientationAndLogAsThePictureGives) {
    // 1200 x 800 upright, stored on its side, with a 150 x 100 EXIF
    // thumbnail and a 480 x 320 MPF preview; the same picture alone.
    const std::vector<uint8_t> picture = SceneJpeg(1200, 800, 6);
    MakeFolder(box.dir() / "camera");
    MakeFolder(box.dir() / "alone");
    ASSERT_TRUE(WriteFileBytes(
        box.dir() / "camera/p.jpg",
        CameraJpeg({picture, 6, SceneJpeg(150, 100, 6), {{SceneJpeg(480, 320, 6)}}})));
    ASSERT_TRUE(WriteFileBytes(box.dir() / "alone/p.jpg", CameraJpeg({picture, 6})));
    const auto thumbnail = [&](const std::string& folder, const Args& switches) {
        std::filesystem::remove(box.dir() / "run.log");
        EXPECT_EQ(Dir(switches, folder).status, 0) << folder;
        image::CPxImage thumb;
        EXPECT_EQ(thumb.Load(Out("p.bmp")), image::ErrNone) << folder;
        std::vector<uint8_t> pixels;
        if (!thumb.empty())
            pixels.assign(thumb.data(), thumb.data() + size_t{3} * thumb.width() * thumb.height());
        return std::make_tuple(Size(thumb.width(), thumb.height()), pixels,
                               ReadFileBytes(Out("p.bmp")), ReadFileText(box.dir() / "run.log"));
    };
    for (const char* bilinear : {"ImageBilinear=0", "ImageBilinear=1"}) {
        // BMP: files that hold nothing but the pixels (no time), so that
        // equal pixels make equal bytes.
        box.WriteSettings({"MainWidth=100", "MainHeight=100", "MainOutputFormat=6", bilinear,
                           "LogMakeLog=1", "LogPath=" + box.dir() / "run.log", "LogInputName=1",
                           "LogInputDims=1"});
        for (const Args& switches : {Args{"/fast", "/a"}, Args{"/fast"}, Args{"/a"}, Args{}}) {
            std::string how = bilinear;
            for (const std::string& s : switches) how += " " + s;
            const bool upright = std::count(switches.begin(), switches.end(), "/a") > 0;
            const bool fast = std::count(switches.begin(), switches.end(), "/fast") > 0;
            const auto [size, pixels, bytes, log] = thumbnail("camera", switches);
            const auto [aloneSize, alonePixels, aloneBytes, aloneLog] =
                thumbnail("alone", switches);
            EXPECT_EQ(size, upright ? Size(100, 66) : Size(66, 100)) << how;
            EXPECT_EQ(size, aloneSize) << how;
            EXPECT_NE(log.find(upright ? "p.jpg  ( 1200 x 800 )\n" : "p.jpg  ( 800 x 1200 )\n"),
                      std::string::npos)
                << how << "\n"
                << log;
            if (!fast) {
                EXPECT_TRUE(bytes == aloneBytes) << how;
                continue;
            }
            // The preview's pixels (not the picture's), turned the same way.
            ASSERT_EQ(pixels.size(), alonePixels.size()) << how;
            EXPECT_FALSE(pixels == alonePixels) << how;
            long long sum = 0;
            int worst = 0;
            for (size_t i = 0; i < pixels.size(); ++i) {
                const int d = std::abs(int(pixels[i]) - int(alonePixels[i]));
                sum += d;
                worst = std::max(worst, d);
            }
            EXPECT_LE(double(sum) / double(pixels.size()), 1.5) << how;
            EXPECT_LE(worst, 40) << how;
        }
    }
}

// A HEIC picture's thumbnail (120 x 80, as phones store one) stands in for
// it by default, as under /fast, where it is at least twice the thumbnail's
// size: the size the picture gives, nearly its pixels, its size in the log.
// A thumbnail smaller than that gives way to the picture itself.
TEST_F(CliRun, HeifThumbnailsStandInByDefaultWhereLargeEnough) {
    VIG_SKIP_WITHOUT("heif-enc");
    for (const char* folder : {"make", "thumb", "plain"}) MakeFolder(box.dir() / folder);
    Samples picture{480, 320, 3, 8, {}};
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            uint8_t rgb[3];
            SceneColour((x + 0.5) / picture.width, (y + 0.5) / picture.height, rgb);
            picture.values.insert(picture.values.end(), rgb, rgb + 3);
        }
    }
    for (const char* folder : {"thumb", "plain"}) {
        Args command{"heif-enc", "-q", "70"};
        if (folder == std::string("thumb")) command.insert(command.end(), {"-t", "120"});
        ASSERT_TRUE(EncodePicture(box.dir() / "make/p.heic", picture, command));
        std::filesystem::rename(box.dir() / "make/p.heic",
                                std::filesystem::path(box.dir().path()) / folder / "p.heic");
    }
    box.WriteSettings({"MainOutputFormat=6", "LogMakeLog=1", "LogPath=" + box.dir() / "run.log",
                       "LogInputName=1", "LogInputDims=1"});
    const struct {
        Args switches;
        Size size;
        bool standsIn;
    } rows[] = {
        {{"/s", "50", "50"}, Size(50, 33), true},
        {{"/s", "50", "50", "/fast"}, Size(50, 33), true},
        {{"/s", "61", "61"}, Size(61, 40), false},  // wants 122 x 80
    };
    for (const auto& r : rows) {
        std::string how;
        for (const std::string& s : r.switches) how += " " + s;
        std::vector<uint8_t> bytes[2];
        image::CPxImage thumbs[2];
        for (const int i : {0, 1}) {
            std::filesystem::remove(box.dir() / "run.log");
            ASSERT_EQ(Dir(r.switches, i == 0 ? "thumb" : "plain").status, 0) << how;
            bytes[i] = ReadFileBytes(Out("p.bmp"));
            ASSERT_EQ(thumbs[i].Load(Out("p.bmp")), image::ErrNone) << how;
            EXPECT_EQ(Size(thumbs[i].width(), thumbs[i].height()), r.size) << how;
            EXPECT_NE(ReadFileText(box.dir() / "run.log").find("p.heic  ( 480 x 320 )\n"),
                      std::string::npos)
                << how;
        }
        if (!r.standsIn) {
            EXPECT_TRUE(bytes[0] == bytes[1]) << how << ": the picture itself";
            continue;
        }
        EXPECT_FALSE(bytes[0] == bytes[1]) << how << ": the thumbnail's pixels";
        long long sum = 0;
        const size_t n = size_t{3} * thumbs[0].width() * thumbs[0].height();
        for (size_t k = 0; k < n; ++k)
            sum += std::abs(int(thumbs[0].data()[k]) - int(thumbs[1].data()[k]));
        EXPECT_LE(double(sum) / double(n), 2.5) << how;
    }
}

// HEIC, AVIF and WebP pictures in a folder run: found in any letter case,
// thumbnails named .JPG under "same as input", their sizes in the log under
// the format filter that names them, gallery and source pages (browsers
// show WebP and AVIF, a HEIF source page names the file); filters switch
// them off; a damaged one is reported and the run goes on; single files
// read them too.
TEST_F(CliRun, HeifAvifAndWebpPicturesMakeThumbnailsLogAndPages) {
    VIG_SKIP_WITHOUT("heif-enc", "cwebp");
    MakeFolder(box.dir() / "make");
    const auto make = [&](const std::string& name, int channels,
                          const std::vector<std::string>& command) {
        const std::string made = box.dir() / ("make/" + name);
        ASSERT_TRUE(EncodePicture(made, TestPicture(64, 40, channels, 8), command)) << name;
        std::filesystem::rename(made, In(name));
    };
    make("p.heic", 3, {"heif-enc", "-q", "70"});
    make("Q.AVIF", 4, {"heif-enc", "-q", "70"});
    make("r.webp", 4, {"cwebp", "-quiet", "-q", "70"});
    make("t.WebP", 3, {"cwebp", "-quiet", "-lossless"});
    std::filesystem::copy_file(In("p.heic"), In("s.hif"));
    box.WriteSettings({"LogMakeLog=1", "LogPath=" + box.dir() / "run.log", "LogHeader=1",
                       "LogInputName=1", "LogInputDims=1", "HTMLLog=1", "HTMLMakeSrcLink=1",
                       "HTMLMakeSrcPages=2"});
    RunResult r = Dir({"/o", "0", "/s", "32", "32", "/j", "3"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Processed 6 of 6 files\n");
    std::vector<std::vector<uint8_t>> threeThreads;
    for (const char* name : {"p.JPG", "Q.JPG", "r.JPG", "s.JPG", "t.JPG"}) {
        EXPECT_EQ(ImageSize(Out(name)), Size(32, 20)) << name;
        threeThreads.push_back(ReadFileBytes(Out(name)));
    }
    const std::string log = ReadFileText(box.dir() / "run.log");
    std::filesystem::remove(box.dir() / "run.log");
    EXPECT_EQ(Dir({"/o", "0", "/s", "32", "32", "/j", "1"}).status, 0);
    size_t i = 0;
    for (const char* name : {"p.JPG", "Q.JPG", "r.JPG", "s.JPG", "t.JPG"})
        EXPECT_EQ(ReadFileBytes(Out(name)), threeThreads[i++]) << name << ": as on one thread";
    EXPECT_NE(log.find("Input file format filter : BMP GIF JPG TIF PNG HEIF AVIF WEBP \n"),
              std::string::npos);
    for (const char* name : {"p.heic", "Q.AVIF", "r.webp", "s.hif", "t.WebP"})
        EXPECT_NE(log.find(In(name) + "  ( 64 x 40 )\n"), std::string::npos) << name;
    const std::string gallery = ReadFileText(Out("Thumbs0.htm"));
    for (const char* name : {"p.JPG", "Q.JPG", "r.JPG", "s.JPG", "t.JPG"})
        EXPECT_NE(gallery.find(name), std::string::npos) << name;
    EXPECT_NE(ReadFileText(Out("r.htm")).find("<img src="), std::string::npos);
    EXPECT_NE(ReadFileText(Out("Q.htm")).find("<img src="), std::string::npos);
    const std::string heifPage = ReadFileText(Out("p.htm"));
    EXPECT_EQ(heifPage.find("<img"), std::string::npos);
    EXPECT_NE(heifPage.find("p.heic"), std::string::npos);

    box.WriteSettings({"OutputFilterHEIF=0", "OutputFilterWEBP=0"});
    r = Dir();
    EXPECT_EQ(r.out, "Processed 2 of 2 files\n") << "a.bmp and Q.AVIF";
    box.WriteSettings({"OutputFilterAVIF=0", "OutputFilterBMP=0"});
    MakeFile(In("bad.heic"), "not a picture at all");
    MakeFile(In("bad.webp"), std::string("RIFF\x10\0\0\0WEBPVP8 ", 16));
    r = Dir();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Processed 6 of 6 files\n");
    EXPECT_NE(r.err.find("Error : Invalid HEIF file\nFile : " + In("bad.heic")), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Error : Invalid WebP file\nFile : " + In("bad.webp")), std::string::npos);

    r = File(In("Q.AVIF"), Out("single.png"), {"/o", "8", "/s", "16", "16"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ImageSize(Out("single.png")), Size(16, 10));
    r = File(In("bad.heic"), Out("single.jpg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error : Invalid HEIF file"), std::string::npos);
}

// The messages follow the desktop's language (LANGUAGE; English when it
// comes first), through the catalogue the build puts beside the program.
// What a run writes into its log stays English whatever the terminal shows.
TEST_F(CliRun, MessagesFollowTheDesktopLanguageAndTheLogStaysEnglish) {
    const auto run = [&](const Args& args, const std::string& language) {
        RunLimits limits;
        limits.language = language;
        return box.Run(args, limits);
    };
    struct Case {
        std::string language;
        Args args;
        std::string begins;
    };
    const Case cases[] = {
        {"de", {"/h"}, "Vignettor v4.4 - Miniaturbilder im Stapel\nAufruf:\n"},
        {"de_AT", {"/h"}, "Vignettor v4.4 - Miniaturbilder im Stapel\nAufruf:\n"},
        {"de",
         {"/h", "/q", "a", "b"},
         "vignettor: unbekannter Modus \u201E/q\u201C (/f oder /d verwenden)\n"},
        {"de",
         {"/h", "/d", "a", "b", "/s", "10"},
         "vignettor: \u201E/s\u201C braucht eine Breite und eine H\u00F6he\n"},
        {"en:de", {"/h", "/q", "a", "b"}, "vignettor: unknown mode \"/q\" (use /f or /d)\n"},
        {"fr:de", {"/h"}, "Vignettor v4.4 - Miniaturbilder im Stapel\n"},
        {"fr", {"/h"}, "Vignettor v4.4 - thumbnails in batches\nusage:\n"},
    };
    for (const Case& c : cases) {
        const RunResult r = run(c.args, c.language);
        EXPECT_EQ(r.status, 2) << c.language;
        EXPECT_EQ(r.err.substr(0, c.begins.size()), c.begins) << c.language << "\n" << r.err;
    }

    // A file that cannot be read: reported in German on stderr, in English
    // in the log.
    box.WriteSettings({"LogMakeLog=1", "LogPath=" + box.dir() / "run.log"});
    MakeFile(In("bad.jpg"), "not a picture at all");
    const RunResult r = run({"/h", "/d", box.dir() / "in", box.dir() / "out"}, "de");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "2 von 2 Dateien verarbeitet\n");
    EXPECT_NE(r.err.find("Fehler: Ung\u00FCltige JPG-Datei\nDatei: " + In("bad.jpg") +
                         "\nKontext: Datei verarbeiten\n"),
              std::string::npos)
        << r.err;
    const std::string log = ReadFileText(box.dir() / "run.log");
    EXPECT_NE(
        log.find("Error : Invalid JPG file\nFile : " + In("bad.jpg") + "\nContext : File Process"),
        std::string::npos)
        << log;
    EXPECT_EQ(log.find("Fehler"), std::string::npos) << log;
}

TEST_F(CliRun, AProgressLineOnlyOnATerminal) {
    for (const char* name : {"second-picture-with-a-long-name.bmp", "third.bmp", "fourth.bmp"})
        WriteBmp(In(name), 64, 48);
    const Args run{"/h", "/d", box.dir() / "in", box.dir() / "out"};
    const RunResult tty = box.RunOnTerminal(run, 60);
    EXPECT_EQ(tty.status, 0);
    EXPECT_EQ(tty.out, "Processed 4 of 4 files\n");
    // The line is redrawn in place, fits the terminal, and is taken away at
    // the end, before the summary.
    ASSERT_GE(tty.err.size(), 4u) << tty.err;
    EXPECT_EQ(tty.err.substr(tty.err.size() - 4), "\r\033[K");
    int lines = 0;
    for (size_t at = 0; (at = tty.err.find('\r', at)) != std::string::npos; ++at) {
        const size_t end = tty.err.find("\033[K", at);
        ASSERT_NE(end, std::string::npos);
        const std::string line = tty.err.substr(at + 1, end - at - 1);
        if (line.empty()) continue;
        ++lines;
        EXPECT_LE(line.size(), 59u) << line;
        EXPECT_NE(line.find(" of 4 files | "), std::string::npos) << line;
        EXPECT_NE(line.find(" files/s | "), std::string::npos) << line;
    }
    EXPECT_GE(lines, 1);
    EXPECT_EQ(tty.err.rfind("\r0 of 4 files | ...", 0), 0u) << "the path shortened from the left";

    const RunResult piped = box.Run(run);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "") << "nothing when stderr is no terminal";
}

// A name that would set the terminal's title and clear its screen reaches
// the terminal escaped, on the progress line and in the report about it.
TEST_F(CliRun, NamesReachTheTerminalEscaped) {
    const std::string name = "x\033]0;title\007\033[2J.bmp";
    MakeFolder(box.dir() / "odd");
    WriteFileText(box.dir() / ("odd/" + name), "no picture");
    const Args run{"/h", "/d", box.dir() / "odd", box.dir() / "out"};
    const RunResult tty = box.RunOnTerminal(run, 400);
    EXPECT_EQ(tty.status, 1) << "the file is reported";
    std::string rest = tty.err;  // all but the line's own "clear to the end"
    for (size_t at; (at = rest.find("\033[K")) != std::string::npos;) rest.erase(at, 3);
    EXPECT_EQ(rest.find_first_of("\033\007"), std::string::npos) << rest;
    const std::string shown = "x\\033]0;title\\007\\033[2J.bmp";
    const size_t line = rest.find(shown), report = rest.rfind(shown);
    EXPECT_NE(line, std::string::npos) << rest;
    EXPECT_LT(line, rest.find("Error : ")) << "on the progress line before the report";
    EXPECT_GT(report, rest.find("Error : ")) << "and in the report";

    const RunResult piped = box.Run(run);
    EXPECT_NE(piped.err.find("File : " + box.dir() / ("odd/" + name) + "\n"), std::string::npos)
        << "a file or pipe gets the name as it is";
}

// While another run holds the output folder, a run says it waits and writes
// nothing there; once the folder is free it does its work.
TEST_F(CliRun, ASecondRunWaitsForTheFolderAndWritesNothingMeanwhile) {
    const std::string out = box.dir() / "out";
    platform::FolderLock lock;
    ASSERT_EQ(lock.TryLock(out), platform::FolderLock::Result::Locked);
    const pid_t pid = box.Start({"/h", "/d", box.dir() / "in", out});
    ASSERT_GT(pid, 0);
    const std::string waiting = "vignettor: Waiting for another run writing into " + out + "\n";
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadFileText(box.dir() / ".stderr") != waiting &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFileText(box.dir() / ".stderr"), waiting);
    // Long enough for a run of one small file that did not wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, WNOHANG), 0) << "still waiting";
    EXPECT_TRUE(Names(out).empty()) << "nothing written while the folder is held";
    EXPECT_EQ(ReadFileText(box.dir() / ".stdout"), "");

    lock.Unlock();
    const RunResult r = box.Wait(pid);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, waiting) << "said once";
    EXPECT_EQ(r.out, "Processed 1 of 1 files\n");
    EXPECT_EQ(Names(out), Args{"a.jpg"});
}

}  // namespace
}  // namespace vig::test
