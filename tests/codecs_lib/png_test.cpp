#include "image/formats/png.h"

#include <gtest/gtest.h>

#include "image/png_state.h"
#include "lib_test_util.h"

namespace vig {
namespace {

using test::PngChunk;
using test::TempDir;

image::PackedColour Rgb(int r, int g, int b) {
    return static_cast<image::PackedColour>(r | (g << 8) | (b << 16));
}

std::vector<uint8_t> Be16(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)});
    return out;
}

bool AllPixels(const image::CPxImage& img, image::PackedColour c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.GetPixel(x, y) != c) return false;
    return true;
}

// The chunk types of a PNG file in order, one IDAT for a run of them.
std::string ChunkTypes(const std::string& path) {
    std::string types;
    for (const PngChunk& c : test::PngChunks(path))
        if (c.type != "IDAT" || types.find("IDAT") == std::string::npos) types += c.type + " ";
    return types;
}

// The data of the first chunk of that type (empty when there is none).
std::vector<uint8_t> ChunkData(const std::string& path, const std::string& type) {
    for (const PngChunk& c : test::PngChunks(path))
        if (c.type == type) return c.data;
    return {};
}

// tEXt/zTXt chunks as "key=text" with "z:" before compressed ones.
std::vector<std::string> PngTexts(const std::string& path) {
    std::vector<std::string> texts;
    for (const PngChunk& c : test::PngChunks(path)) {
        if (c.type != "tEXt" && c.type != "zTXt") continue;
        const auto nul = std::find(c.data.begin(), c.data.end(), 0);
        const std::string key(c.data.begin(), nul);
        if (c.type == "tEXt") {
            texts.push_back(key + "=" + std::string(std::min(nul + 1, c.data.end()), c.data.end()));
            continue;
        }
        // key, 0, method byte, zlib stream
        std::vector<uint8_t> out(1 << 16);
        uLongf outLen = out.size();
        const size_t start = static_cast<size_t>(nul - c.data.begin()) + 2;
        if (uncompress(out.data(), &outLen, c.data.data() + start,
                       static_cast<uLong>(c.data.size() - start)) != Z_OK)
            outLen = 0;
        texts.push_back("z:" + key + "=" + std::string(out.begin(), out.begin() + long(outLen)));
    }
    return texts;
}

TEST(Png, SixteenBitsAreStrippedToTheHighByte) {
    TempDir dir;
    ASSERT_TRUE(
        test::WriteRawPng(dir / "16.png", 2, 1, 16, 2,
                          {test::Idat({Be16({0x12FF, 0xAB00, 0xFFFF, 0x0080, 0x7F7F, 0})})}));
    image::CPxImage img;
    ASSERT_EQ(img.Load(dir / "16.png"), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(0x12, 0xAB, 0xFF));
    EXPECT_EQ(img.GetPixel(1, 0), Rgb(0x00, 0x7F, 0x00));
}

TEST(Png, TransparencyMeetsTheFileOrTheImageBackground) {
    TempDir dir;
    // 2x1 RGBA, both pixels fully transparent, 8 and 16 bits.
    const PngChunk clear8 = test::Idat({{10, 20, 30, 0, 40, 50, 60, 0}});
    ASSERT_TRUE(test::WriteRawPng(dir / "t8.png", 2, 1, 8, 6, {clear8}));
    ASSERT_TRUE(test::WriteRawPng(dir / "t16.png", 2, 1, 16, 6,
                                  {test::Idat({Be16({1, 2, 3, 0, 4, 5, 6, 0})})}));
    ASSERT_TRUE(
        test::WriteRawPng(dir / "bk.png", 2, 1, 8, 6, {{"bKGD", Be16({10, 200, 30})}, clear8}));
    image::CPxImage img;
    img.SetPngOptions(0.0, 2.2, "", "", true, false, Rgb(0x99, 0x66, 0x33));
    for (const char* name : {"t8.png", "t16.png"}) {
        ASSERT_EQ(img.Load(dir / name), image::ErrNone) << name;
        EXPECT_TRUE(AllPixels(img, Rgb(0x99, 0x66, 0x33)))
            << name << " " << std::hex << img.GetPixel(0, 0);
    }
    ASSERT_EQ(img.Load(dir / "bk.png"), image::ErrNone);
    EXPECT_TRUE(AllPixels(img, Rgb(10, 200, 30))) << std::hex << img.GetPixel(0, 0);
}

TEST(Png, OpaqueFileWithoutGammaIsUnchangedByAnyScreenGamma) {
    TempDir dir;
    const auto rgb = test::Gradient(16, 8);
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < 8; ++y) rows.emplace_back(rgb.begin() + y * 48, rgb.begin() + y * 48 + 48);
    ASSERT_TRUE(test::WriteRawPng(dir / "o.png", 16, 8, 8, 2, {test::Idat(rows)}));
    for (double gamma : {1.0, 2.2, 2.9, 0.0, -3.0}) {
        image::CPxImage img;
        img.SetPngOptions(0.0, gamma, "", "", true, false, 0);
        ASSERT_EQ(img.Load(dir / "o.png"), image::ErrNone) << gamma;
        EXPECT_EQ(0, std::memcmp(img.data(), rgb.data(), rgb.size())) << gamma;
    }
    // With a gAMA chunk the screen gamma does correct the values.
    ASSERT_TRUE(test::WriteRawPng(dir / "g.png", 16, 8, 8, 2,
                                  {{"gAMA", {0, 1, 0x86, 0xA0}}, test::Idat(rows)}));
    EXPECT_NE(test::Pixels(dir / "g.png"), rgb);
}

TEST(Png, WrittenFilesCarryTimeBackgroundAndGammaOnlyWhenPositive) {
    TempDir dir;
    const auto rgb = test::Gradient(9, 5);
    std::vector<uint8_t> indices(9 * 5);
    std::vector<uint8_t> want(indices.size() * 3);
    std::vector<uint8_t> palette(256 * 4, 0);
    const uint8_t bgr[3][3] = {{0, 0, 255}, {0, 128, 255}, {200, 100, 50}};
    for (int i = 0; i < 3; ++i) std::memcpy(&palette[4 * i], bgr[i], 3);
    for (size_t i = 0; i < indices.size(); ++i) {
        indices[i] = static_cast<uint8_t>(i % 3);
        for (int c = 0; c < 3; ++c) want[3 * i + c] = bgr[i % 3][2 - c];
    }

    image::PngSetBackground(0, 0, 0, 0, 0);
    ASSERT_EQ(image::png::Write24(dir / "a.png", rgb.data(), 9, 5, 0.0), 1);
    ASSERT_EQ(image::png::Write24(dir / "b.png", rgb.data(), 9, 5, 0.45), 1);
    ASSERT_EQ(
        image::png::WritePalette(dir / "c.png", indices.data(), 9, 5, 256, palette.data(), -1.0),
        1);
    // Values libpng's own range check refuses are written all the same, in
    // hundred-thousandths, ahead of the palette and the image data.
    ASSERT_EQ(image::png::Write24(dir / "d.png", rgb.data(), 9, 5, 10000.0), 1);
    ASSERT_EQ(
        image::png::WritePalette(dir / "e.png", indices.data(), 9, 5, 256, palette.data(), 0.0001),
        1);
    // The files without gamma read back as written; the others decode.
    const struct {
        const char* name;
        const char* types;
        std::vector<uint8_t> gamma;
        const std::vector<uint8_t>* pixels;
    } files[] = {{"a.png", "IHDR bKGD tIME IDAT IEND ", {}, &rgb},
                 {"b.png", "IHDR gAMA bKGD tIME IDAT IEND ", {0, 0, 0xAF, 0xC8}, nullptr},  // 45000
                 {"c.png", "IHDR PLTE bKGD tIME IDAT IEND ", {}, &want},
                 {"d.png", "IHDR gAMA bKGD tIME IDAT IEND ", {0x3B, 0x9A, 0xCA, 0}, nullptr},
                 {"e.png", "IHDR gAMA PLTE bKGD tIME IDAT IEND ", {0, 0, 0, 10}, nullptr}};
    for (const auto& f : files) {
        EXPECT_EQ(ChunkTypes(dir / f.name), f.types) << f.name;
        EXPECT_EQ(ChunkData(dir / f.name, "gAMA"), f.gamma) << f.name;
        const auto pixels = test::Pixels(dir / f.name);
        EXPECT_EQ(pixels.size(), rgb.size()) << f.name;
        if (f.pixels != nullptr) {
            EXPECT_EQ(pixels, *f.pixels) << f.name;
        }
    }
    const auto plte = ChunkData(dir / "c.png", "PLTE");
    ASSERT_EQ(plte.size(), 768u);
    EXPECT_EQ(std::vector<uint8_t>(plte.begin(), plte.begin() + 9),
              (std::vector<uint8_t>{255, 0, 0, 255, 128, 0, 50, 100, 200}));
}

TEST(Png, TextTravelsFromSourceToOutput) {
    TempDir dir;
    auto text = [](const std::string& key, const std::string& value) {
        PngChunk c{"tEXt", std::vector<uint8_t>(key.begin(), key.end())};
        c.data.push_back(0);
        c.data.insert(c.data.end(), value.begin(), value.end());
        return c;
    };
    ASSERT_TRUE(test::WriteRawPng(dir / "src.png", 1, 1, 8, 2,
                                  {text("Title", "Lake"), text("Empty", ""),
                                   test::Idat({{1, 2, 3}}), text("Author", "Ann")}));
    image::CPxImage img;
    img.SetPngOptions(0.0, 2.2, "Note", "mine", true, true, 0);
    ASSERT_EQ(img.Load(dir / "src.png"), image::ErrNone);
    EXPECT_EQ(img.textList(), (std::vector<image::PngTextEntry>{{false, "Lake", "Title"},
                                                                {false, "Ann", "Author"}}));

    ASSERT_EQ(img.Save(dir / "out.png", 9), image::ErrNone);
    EXPECT_EQ(PngTexts(dir / "out.png"),
              (std::vector<std::string>{"Title=Lake", "Author=Ann", "z:Note=mine",
                                        "Software=Produced with Vignettor"}));
    EXPECT_TRUE(image::PngWriteTextList().empty());

    // A file written here, loaded and saved again, carries two "Software".
    image::CPxImage again;
    again.SetPngOptions(0.0, 2.2, "", "", true, false, 0);
    ASSERT_EQ(again.Load(dir / "out.png"), image::ErrNone);
    ASSERT_EQ(again.textList().size(), 4u);
    EXPECT_TRUE(again.textList()[2].compressed);
    ASSERT_EQ(again.Save(dir / "twice.png", 11), image::ErrNone);
    EXPECT_EQ(PngTexts(dir / "twice.png"),
              (std::vector<std::string>{"Title=Lake", "Author=Ann", "z:Note=mine",
                                        "Software=Produced with Vignettor",
                                        "Software=Produced with Vignettor"}));

    // Copy off and no key: only "Software". An empty compressed text is
    // written as a plain chunk.
    again.SetPngOptions(0.0, 2.2, "Blank", "", false, true, 0);
    ASSERT_EQ(again.Save(dir / "plain.png", 9), image::ErrNone);
    EXPECT_EQ(PngTexts(dir / "plain.png"),
              (std::vector<std::string>{"Blank=", "Software=Produced with Vignettor"}));

    // A key without one printable character cannot be written: that entry
    // is left out and the file written all the same.
    again.SetPngOptions(0.0, 2.2, " \x01 ", "lost", false, false, 0);
    ASSERT_EQ(again.Save(dir / "nokey.png", 9), image::ErrNone);
    EXPECT_EQ(PngTexts(dir / "nokey.png"),
              (std::vector<std::string>{"Software=Produced with Vignettor"}));
}

TEST(Png, HugeDeclarationsAreRefusedAndWideRowsRead) {
    TempDir dir;
    int w = 0, h = 0;
    // 100000 x 100000 declared in a file of a few bytes.
    ASSERT_TRUE(
        test::WriteRawPng(dir / "huge.png", 100000, 100000, 8, 2, {test::Idat({{1, 2, 3}})}));
    EXPECT_TRUE(image::png::Read(dir / "huge.png", &w, &h).empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrOutOfMemory);
    // A chunk that declares 1.8 GB of text in a file of a few bytes.
    ASSERT_TRUE(test::WriteRawPng(dir / "chunk.png", 1, 1, 8, 2, {test::Idat({{1, 2, 3}})}));
    auto bytes = test::ReadFileBytes(dir / "chunk.png");
    const std::vector<uint8_t> bogus = {0x6D, 0, 0, 0, 'i', 'T', 'X', 't', 'k', 0, 0, 0};
    bytes.insert(bytes.begin() + 33, bogus.begin(), bogus.end());
    ASSERT_TRUE(test::WriteFileBytes(dir / "chunk.png", bytes));
    EXPECT_TRUE(image::png::Read(dir / "chunk.png", &w, &h).empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrInvalidPng);
    // A wide row within the limit decodes (libpng's own width cap is lifted).
    ASSERT_TRUE(test::WriteRawPng(dir / "wide.png", 1200000, 1, 1, 0,
                                  {test::Idat({std::vector<uint8_t>(150000, 0xF0)})}));
    image::PixelBlock wide = image::png::Read(dir / "wide.png", &w, &h);
    ASSERT_FALSE(wide.empty()) << image::GetLastImageError();
    EXPECT_EQ(w, 1200000);
    EXPECT_EQ(wide.data()[0], 255);
    EXPECT_EQ(wide.data()[4 * 3], 0);
}

// Compressed texts inflating far beyond any real file's are dropped once
// the file's texts hold their share of memory; the picture still loads,
// with a palette that comes after them.
TEST(Png, TextsBeyondTheirShareOfMemoryAreDropped) {
    TempDir dir;
    const std::string text(2 << 20, 'a');
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::vector<uint8_t> packed(size);
    ASSERT_EQ(compress2(packed.data(), &size, reinterpret_cast<const Bytef*>(text.data()),
                        static_cast<uLong>(text.size()), 9),
              Z_OK);
    packed.resize(size);
    std::vector<PngChunk> chunks;
    for (int i = 0; i < 100; ++i) {  // 200 MB of text
        PngChunk c{"zTXt", {}};
        c.data.reserve(4 + packed.size());
        c.data.assign({'k', static_cast<uint8_t>('0' + i % 10), 0, 0});
        c.data.insert(c.data.end(), packed.begin(), packed.end());
        chunks.push_back(std::move(c));
    }
    chunks.push_back({"PLTE", {10, 20, 30, 40, 50, 60}});
    chunks.push_back(test::Idat({{0x01}}));  // 2 x 1, indices 0 and 1
    ASSERT_TRUE(test::WriteRawPng(dir / "texts.png", 2, 1, 4, 3, chunks));
    image::CPxImage img;
    ASSERT_EQ(img.Load(dir / "texts.png"), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(10, 20, 30));
    EXPECT_EQ(img.GetPixel(1, 0), Rgb(40, 50, 60));
    size_t kept = 0;
    for (const image::PngTextEntry& e : img.textList()) kept += e.text.size();
    EXPECT_GT(kept, 0u);
    EXPECT_LE(kept, size_t{32} << 20);
}

TEST(Png, InterlacedFilesReportEveryPass) {
    test::ProgressRecorder progress;
    int w = 0, h = 0;
    ASSERT_FALSE(image::png::Read(test::DataPath("pngsuite/basi2c08.png"), &w, &h).empty());
    EXPECT_EQ(progress.rows.size(), 7u * 32u);
    EXPECT_EQ(progress.rows[32], 0);
    EXPECT_EQ(progress.lastTotal, 32);
}

}  // namespace
}  // namespace vig
