// The PNG suite and the generated TIFF set through the image object.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "image/cpx_image.h"
#include "lib_test_util.h"
#include "support/reference_png.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

std::vector<uint8_t> Pixels(const std::string& path, ErrorCode* code, int* w = nullptr,
                            int* h = nullptr) {
    CPxImage img;
    *code = img.Load(path);
    if (w != nullptr) *w = img.width();
    if (h != nullptr) *h = img.height();
    if (img.empty()) return {};
    return std::vector<uint8_t>(img.data(), img.data() + size_t{3} * img.width() * img.height());
}

TEST(PngSuite, ValidFilesDecodeAndCorruptOnesAreRefused) {
    const auto files = test::DataFiles("pngsuite", ".png");
    ASSERT_EQ(files.size(), 175u);
    int valid = 0;
    for (const std::string& name : files) {
        ErrorCode code = 0;
        int w = 0, h = 0;
        const auto px = Pixels(test::DataPath("pngsuite/" + name), &code, &w, &h);
        if (name[0] == 'x') {
            EXPECT_EQ(code, ErrInvalidPng) << name;
            EXPECT_TRUE(px.empty()) << name;
            continue;
        }
        ++valid;
        test::ReferenceImage ref;
        ASSERT_TRUE(test::LoadReferencePng(test::DataPath("pngsuite/" + name), &ref)) << name;
        EXPECT_EQ(code, ErrNone) << name;
        EXPECT_EQ(w, ref.width) << name;
        EXPECT_EQ(h, ref.height) << name;
        // 8-bit opaque files without gamma, background or transparency
        // chunks decode to exactly the reference values.
        const bool plain = name.rfind("bas", 0) == 0 && name.find("08") != std::string::npos &&
                           name[4] != '4' && name[4] != '6';
        if (plain) {
            EXPECT_EQ(px, ref.Rgb()) << name;
        }
    }
    EXPECT_EQ(valid, 161);
}

TEST(PngSuite, InterlacedAndSplitFilesMatchTheirTwins) {
    std::vector<std::pair<std::string, std::string>> twins;
    for (const std::string& name : test::DataFiles("pngsuite", ".png")) {
        if (name.rfind("basi", 0) == 0) twins.emplace_back(name, "basn" + name.substr(4));
        if (name.size() > 4 && name[0] == 's' && name[3] == 'i')
            twins.emplace_back(name, name.substr(0, 3) + "n" + name.substr(4));
        if (name.rfind("oi", 0) == 0)
            twins.emplace_back(
                name, name.find("0g16") != std::string::npos ? "basn0g16.png" : "basn2c16.png");
        if (name.rfind("z0", 0) == 0) twins.emplace_back(name, "z00n2c08.png");
    }
    EXPECT_GE(twins.size(), 40u);
    for (const auto& [a, b] : twins) {
        ErrorCode ca = 0, cb = 0;
        const auto pa = Pixels(test::DataPath("pngsuite/" + a), &ca);
        const auto pb = Pixels(test::DataPath("pngsuite/" + b), &cb);
        ASSERT_FALSE(pa.empty()) << a;
        EXPECT_EQ(pa, pb) << a << " vs " << b;
    }
}

TEST(TiffSet, FilesDecodeToTheirReferences) {
    const auto files = test::DataFiles("tiff", ".tif");
    ASSERT_EQ(files.size(), 16u);
    for (const std::string& name : files) {
        ErrorCode code = 0;
        int w = 0, h = 0;
        const auto px = Pixels(test::DataPath("tiff/" + name), &code, &w, &h);
        ASSERT_EQ(code, ErrNone) << name;
        const std::string title = name.substr(0, name.size() - 4);
        if (name.rfind("rgb16", 0) == 0) {
            // R = 1024x + 3y, G = 1024y + 5x, B = 65535 - 512x - 500y; 8-bit
            // view within 1 of the high byte.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int want[3] = {(1024 * x + 3 * y) >> 8, (1024 * y + 5 * x) >> 8,
                                         (65535 - 512 * x - 500 * y) >> 8};
                    for (int c = 0; c < 3; ++c)
                        ASSERT_NEAR(px[(size_t{64} * y + x) * 3 + c], want[c], 1) << name;
                }
            continue;
        }
        test::ReferenceImage ref;
        const std::string refName = title + (title.rfind("multipage", 0) == 0 ? ".f0" : "");
        ASSERT_TRUE(test::LoadReferencePng(test::DataPath("tiff/" + refName + ".ref.png"), &ref));
        ASSERT_EQ(w, ref.width) << name;
        ASSERT_EQ(h, ref.height) << name;
        if (title.rfind("rgba", 0) == 0) {
            // Alpha is dropped and colours stay as stored; the reference
            // keeps no colour where alpha is 0.
            for (size_t i = 0; i < px.size() / 3; ++i) {
                if (ref.rgba[4 * i + 3] == 0) continue;
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(px[3 * i + c], ref.rgba[4 * i + c]) << name << " " << i;
            }
            continue;
        }
        EXPECT_EQ(px, ref.Rgb()) << name;
    }
}

TEST(QuantizedSave, EightBitPngAndTiffKeepAFewColours) {
    test::TempDir dir;
    CPxImage img;
    PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(32, 32));
    const uint8_t colours[4][3] = {{250, 10, 10}, {10, 200, 30}, {20, 40, 220}, {240, 240, 240}};
    for (int i = 0; i < 32 * 32; ++i) std::memcpy(block.data() + 3 * i, colours[(i / 8) % 4], 3);
    const std::vector<uint8_t> original(block.data(), block.data() + block.size());
    img.Adopt(std::move(block), 32, 32);
    for (const auto& [name, format] : {std::pair{"q.png", 10}, std::pair{"q.tif", 13}}) {
        ASSERT_EQ(img.Save(dir / name, format), ErrNone) << name;
        ErrorCode code = 0;
        const auto px = Pixels(dir / name, &code);
        ASSERT_EQ(px.size(), original.size()) << name;
        for (size_t i = 0; i < px.size(); ++i)
            ASSERT_NEAR(px[i], original[i], 8) << name << " " << i;
    }
    const auto chunks = test::PngChunks(dir / "q.png");
    EXPECT_EQ(chunks.front().data[9], 3);  // IHDR colour type: palette
}

TEST(LibraryReaders, FoldersAreNotOpened) {
    test::TempDir dir;
    for (const char* name : {"f.jpg", "f.png", "f.tif"}) {
        ASSERT_TRUE(std::filesystem::create_directory(dir / name));
        CPxImage img;
        EXPECT_EQ(img.Load(dir / name), ErrOpenFile) << name;
    }
}

}  // namespace
}  // namespace vig
