// Writers and readers together: every writer of BMP, PCX and GIF reads back
// to the same pixels with the progress calls its format makes, and reports
// open, write and cancel failures; the save rows through the image object.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec_test_util.h"
#include "image/cpx_image.h"
#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;
using Bytes = std::vector<uint8_t>;

struct Codec {
    const char* name;
    image::WriterFn saveRgb;  // none for GIF
    image::WriterFn saveIndexed;
    test::FileReader read;
    bool reportsRows;  // writer and reader call the progress callback once a row
};
const Codec kCodecs[] = {
    {"bmp", image::bmp::SaveRgb, image::bmp::SaveIndexed, image::bmp::Read, true},
    {"pcx", image::pcx::SaveRgb, image::pcx::SaveIndexed, image::pcx::Read, false},
    {"gif", nullptr, image::gif::Save, image::gif::Read, true},
};

// Runs `check(codec, save)` for every writer, the request pointing at a file
// named after it in `dir`.
template <typename Check>
void ForEachWriter(image::WriteRequest& request, const test::TempDir& dir, Check check) {
    for (const Codec& c : kCodecs) {
        for (image::WriterFn save : {c.saveRgb, c.saveIndexed}) {
            if (save == nullptr) continue;
            const std::string name =
                (save == c.saveRgb ? "rgb." : "indexed.") + std::string(c.name);
            SCOPED_TRACE(name);
            request.path = dir / name;
            check(c, save);
        }
    }
}

TEST(OwnCodecs, WritersRoundTripOddSizesWithTheirProgressCalls) {
    test::TempDir dir;
    Bytes palette(1024);  // entries of blue, green, red, 0
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 13 + 5);
    const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {3, 5}, {33, 9}, {131, 4}, {6, 2}, {2, 300}};
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // Runs and high bytes alike: every other row is noise, the rest flat.
        Bytes rgb = test::NoiseBytes(static_cast<size_t>(w * h * 3), w * 7 + h);
        for (int y = 1; y < h; y += 2)
            std::fill(rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3, 0xC7);
        const Bytes idx(rgb.begin(), rgb.begin() + w * h);
        Bytes viaPalette;
        for (uint8_t i : idx)
            viaPalette.insert(viaPalette.end(),
                              {palette[4 * i + 2], palette[4 * i + 1], palette[4 * i]});
        image::WriteRequest request;
        request.rgb = rgb.data();
        request.indices = idx.data();
        request.palette = palette.data();
        request.width = w;
        request.height = h;
        ForEachWriter(request, dir, [&](const Codec& c, image::WriterFn save) {
            test::ProgressRecorder rec;
            ASSERT_EQ(save(request), 1);
            EXPECT_EQ(image::GetLastImageError(), image::ErrNone);
            const Decoded d = test::ReadWith(c.read, request.path);
            ASSERT_TRUE(d.ok()) << d.code;
            EXPECT_EQ(d.width, w);
            EXPECT_EQ(d.height, h);
            EXPECT_EQ(d.rgb, save == c.saveIndexed ? viaPalette : rgb);
            std::vector<std::pair<int, int>> calls;  // rows 0 .. h - 1 from each
            for (int pass = 0; pass < (c.reportsRows ? 2 : 0); ++pass)
                for (int y = 0; y < h; ++y) calls.emplace_back(y, h);
            EXPECT_EQ(rec.calls, calls);
        });
    }
}

TEST(OwnCodecs, WritersReportOpenWriteAndCancelFailures) {
    test::TempDir dir;
    const Bytes pixels(300 * 300 * 3, 1);
    image::WriteRequest request;
    request.rgb = request.indices = request.palette = pixels.data();
    request.width = request.height = 300;
    ForEachWriter(request, dir, [&](const Codec& c, image::WriterFn save) {
        const std::string path = request.path;
        request.path = "/nonexistent/dir/a";
        EXPECT_EQ(save(request), 0);
        EXPECT_EQ(image::GetLastImageError(), image::ErrOpenFile);
        if (test::FileExists("/dev/full")) {  // every write fails there
            request.path = "/dev/full";
            EXPECT_EQ(save(request), 0);
            EXPECT_EQ(image::GetLastImageError(), image::ErrWriteFile);
        }
        request.path = path;
        ASSERT_EQ(save(request), 1);
        if (!c.reportsRows) return;
        test::ProgressRecorder cancel(1);
        EXPECT_EQ(test::ReadWith(c.read, path).code, image::ErrCancelled);
        request.path = path + ".cancelled";
        EXPECT_EQ(save(request), 0);
        EXPECT_EQ(image::GetLastImageError(), image::ErrCancelled);
    });
}

TEST(OwnCodecSaves, RowsWriteWhatTheyPromise) {
    test::TempDir dir;
    const int w = 9, h = 5;
    const Bytes noise = test::NoiseBytes(w * h * 3, 99);
    Bytes gray;
    for (size_t i = 0; i < noise.size(); i += 3) {
        const auto g =
            static_cast<uint8_t>(0.299 * noise[i] + 0.587 * noise[i + 1] + 0.114 * noise[i + 2]);
        gray.insert(gray.end(), {g, g, g});
    }
    // Three colours: the 8-bit rows keep them exactly.
    const uint8_t colours[3][3] = {{200, 30, 40}, {10, 220, 90}, {250, 250, 5}};
    Bytes three;
    for (int i = 0; i < w * h; ++i) {
        const uint8_t* c = colours[(i * 7 / 3 + i / w) % 3];
        three.insert(three.end(), c, c + 3);
    }
    const struct {
        int code;
        const char* name;
        int inputFormat;
        const Bytes& in;
        const Bytes& want;
    } rows[] = {
        {6, "a.bmp", 6, noise, noise},   {15, "a.pcx", 15, noise, noise},
        {6, "b.BMP", 6, noise, noise},   {8, "g.bmp", 6, noise, gray},
        {17, "g.pcx", 15, noise, gray},  {19, "g.gif", 18, noise, gray},
        {7, "q.bmp", 6, three, three},   {16, "q.pcx", 15, three, three},
        {18, "q.gif", 18, three, three},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        image::CPxImage img;
        ASSERT_EQ(img.MakeCheckerboard(w, h), image::ErrNone);
        std::copy(r.in.begin(), r.in.end(), img.data());
        ASSERT_EQ(img.Save(dir / r.name, r.code), image::ErrNone);
        image::CPxImage back;
        ASSERT_EQ(back.Load(dir / r.name), image::ErrNone);
        EXPECT_EQ(back.inputFormat(), r.inputFormat);
        ASSERT_EQ(back.width() * back.height(), w * h);
        EXPECT_EQ(back.width(), w);
        EXPECT_EQ(Bytes(back.data(), back.data() + w * h * 3), r.want);
    }
}

TEST(OwnCodecSaves, FoldersAndMissingFilesCannotBeOpened) {
    test::TempDir dir;
    for (const char* name : {"folder.bmp", "folder.pcx", "folder.gif"}) {
        ASSERT_TRUE(std::filesystem::create_directory(dir / name));
        image::CPxImage img;
        EXPECT_EQ(img.Load(dir / name), image::ErrOpenFile) << name;
        EXPECT_TRUE(img.empty());
        EXPECT_EQ(img.Load(dir / ("missing-" + std::string(name))), image::ErrOpenFile) << name;
    }
}

}  // namespace
}  // namespace vig
