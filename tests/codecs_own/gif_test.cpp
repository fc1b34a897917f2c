#include "image/formats/gif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

#include "codec_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;
using Bytes = std::vector<uint8_t>;

struct Table {
    std::array<uint8_t, 256> red{}, green{}, blue{};
};

// A table without black, so that undecoded pixels stand out.
const Table kTable = [] {
    Table t;
    for (int i = 0; i < 256; ++i) {
        t.red[i] = static_cast<uint8_t>(i);
        t.green[i] = static_cast<uint8_t>(255 - i);
        t.blue[i] = static_cast<uint8_t>(1 + (i * 3) % 250);
    }
    return t;
}();

Bytes Expand(const Bytes& idx) {
    const Table& t = kTable;
    Bytes rgb;
    for (uint8_t i : idx) rgb.insert(rgb.end(), {t.red[i], t.green[i], t.blue[i]});
    return rgb;
}

int WriteGif(const std::string& path, const Bytes& idx, int w, int h) {
    const Table& t = kTable;
    return image::gif::Write(path, idx.data(), w, h, 0, t.red.data(), t.green.data(),
                             t.blue.data());
}

// Offsets in a file the writer made.
constexpr size_t kScreenFlags = 10;
constexpr size_t kDescriptor = 13 + 768;
constexpr size_t kImageFlags = kDescriptor + 9;

// ---- An independent model of the file the writer must produce: plain LZW
// with a dictionary, a clear code first and whenever a new string finds all
// 4096 codes in use, codes packed least significant bit first with the
// widths a decoder expects, 254-byte sub-blocks.

std::vector<int> PlainLzwCodes(const Bytes& px) {
    std::vector<int> codes = {256};
    std::map<int, int> dict;
    int next = 258;
    int prefix = px[0];
    for (size_t i = 1; i < px.size(); ++i) {
        const int key = prefix * 256 + px[i];
        const auto it = dict.find(key);
        if (it != dict.end()) {
            prefix = it->second;
            continue;
        }
        codes.push_back(prefix);
        if (next < 4096) {
            dict[key] = next++;
        } else {
            codes.push_back(256);
            dict.clear();
            next = 258;
        }
        prefix = px[i];
    }
    codes.push_back(prefix);
    codes.push_back(257);
    return codes;
}

Bytes ExpectedFile(const Bytes& idx, int w, int h) {
    const Table& t = kTable;
    Bytes f = {
        'G',  'I', 'F', '8', '7', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
        0xE7, 0,   0};
    for (int i = 0; i < 256; ++i) f.insert(f.end(), {t.red[i], t.green[i], t.blue[i]});
    f.insert(f.end(),
             {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0, 8});
    Bytes data;
    uint64_t acc = 0;
    int bits = 0;
    // Code widths as a decoder follows them: 9 bits after a clear; every code
    // but the first after a clear adds an entry, and the width grows when the
    // next free code reaches 2^width (up to 12).
    int width = 9, sinceClear = 0;
    for (int code : PlainLzwCodes(idx)) {
        acc |= static_cast<uint64_t>(code) << bits;
        bits += width;
        for (; bits >= 8; bits -= 8, acc >>= 8) data.push_back(static_cast<uint8_t>(acc));
        if (code == 256) {
            width = 9, sinceClear = 0;
            continue;
        }
        if (sinceClear >= 1 && 258 + sinceClear == (1 << width) && width < 12) ++width;
        ++sinceClear;
    }
    if (bits > 0) data.push_back(static_cast<uint8_t>(acc));
    for (size_t i = 0; i < data.size(); i += 254) {
        const size_t n = std::min<size_t>(254, data.size() - i);
        f.push_back(static_cast<uint8_t>(n));
        f.insert(f.end(), data.begin() + static_cast<long>(i),
                 data.begin() + static_cast<long>(i + n));
    }
    f.push_back(0);
    f.push_back(0x3B);
    return f;
}

TEST(GifWriter, OutputIsExactlyThePlainLzwStream) {
    test::TempDir dir;
    struct Image {
        const char* what;
        int w, h;
        Bytes idx;
    };
    // The string (0, 0) has key 0 and hashes to slot 0, as does (16, 1):
    // key 0 is a real key, not a free slot.
    Bytes slotZero, ramp(256 * 64);
    for (int i = 0; i < 40; ++i) slotZero.insert(slotZero.end(), {0, 0, 16, 1, 0, 0, 0, 32, 2});
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i % 256 + i / 256);
    const std::vector<Image> images = {
        {"noise", 301, 203, test::NoiseBytes(301 * 203, 1)},
        {"mostly zeros", 257, 190, test::NoiseBytes(257 * 190, 2, 2)},
        {"few values", 640, 100, test::NoiseBytes(640 * 100, 3, 5)},
        {"one long run", 9000, 1, Bytes(9000, 0)},
        {"column", 1, 777, test::NoiseBytes(777, 4, 3)},
        {"odd", 63, 17, test::NoiseBytes(63 * 17, 5, 7)},
        {"one pixel", 1, 1, {5}},
        {"slot zero", 9, 40, slotZero},
        {"ramp", 256, 64, ramp},
    };
    for (const Image& im : images) {
        ASSERT_EQ(WriteGif(dir / "w.gif", im.idx, im.w, im.h), 1) << im.what;
        const Bytes f = test::ReadFileBytes(dir / "w.gif");
        EXPECT_TRUE(f == ExpectedFile(im.idx, im.w, im.h)) << im.what;
        const Decoded d = test::ReadWith(image::gif::Read, dir / "w.gif");
        ASSERT_TRUE(d.ok()) << im.what;
        EXPECT_EQ(d.width, im.w);
        EXPECT_EQ(d.height, im.h);
        EXPECT_TRUE(d.rgb == Expand(im.idx)) << im.what;
    }
    // One pixel: codes 256, 5, 257 of 9 bits each, least significant bit
    // first: 27 bits in one 4-byte sub-block.
    const Bytes one = ExpectedFile({5}, 1, 1);
    EXPECT_EQ(Bytes(one.end() - 7, one.end()), (Bytes{4, 0x00, 0x0B, 0x04, 0x04, 0, 0x3B}));
    // The clear comes when every code up to 4095 is in use: 3838 new strings
    // fill 258..4095, the 3839th brings the clear.
    const std::vector<int> codes = PlainLzwCodes(images[0].idx);
    std::vector<size_t> clears;
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == 256) clears.push_back(i);
    ASSERT_GE(clears.size(), 3u);
    for (size_t k = 1; k < clears.size(); ++k) EXPECT_EQ(clears[k] - clears[k - 1], 3840u);
}

TEST(GifWriter, CancelEndsTheDataWithoutTrailer) {
    test::TempDir dir;
    const Bytes idx = test::NoiseBytes(7 * 5, 3);
    test::ProgressRecorder rec(2);
    EXPECT_EQ(WriteGif(dir / "c.gif", idx, 7, 5), 0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrCancelled);
    EXPECT_EQ(rec.calls, (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}}));
    // The three complete rows, compressed and ended; no terminator follows.
    Bytes want = ExpectedFile(Bytes(idx.begin(), idx.begin() + 21), 7, 5);
    want.resize(want.size() - 2);
    EXPECT_EQ(test::ReadFileBytes(dir / "c.gif"), want);
}

// The files below are the writer's: the model is shown above to match it.

TEST(GifReader, InterlaceAndTableChoice) {
    // Ten rows in the order an interlaced file stores them; row r of the
    // picture has colour r.
    Bytes stored, picture;
    for (int r : {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}) stored.insert(stored.end(), 4, uint8_t(r));
    for (int r = 0; r < 10; ++r) picture.insert(picture.end(), 4, uint8_t(r));
    Bytes interlaced = ExpectedFile(stored, 4, 10);
    interlaced[kImageFlags] |= 0x40;
    const Bytes f = ExpectedFile({0, 7, 200, 255}, 2, 2);
    Bytes bare = f;
    bare[kScreenFlags] = 0;
    bare.erase(bare.begin() + 13, bare.begin() + kDescriptor);
    Bytes local(f.begin(), f.begin() + kImageFlags);
    local.push_back(0x82);
    for (int i = 0; i < 8; ++i)
        local.insert(local.end(), {uint8_t(i), uint8_t(i + 1), uint8_t(i + 2)});
    local.insert(local.end(), f.begin() + kImageFlags + 1, f.end());
    const struct {
        const char* what;
        Bytes file, rgb;
    } cases[] = {
        {"interlaced: rows in pass order, no progress calls", interlaced, Expand(picture)},
        {"no table at all: a gray ramp", bare, {0, 0, 0, 7, 7, 7, 200, 200, 200, 255, 255, 255}},
        {"a local table of 8 wins over the global one; values beyond it are black",
         local,
         {0, 1, 2, 7, 8, 9, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        test::ProgressRecorder rec;
        const Decoded d = test::ReadBytes(image::gif::ReadMemory, c.file);
        ASSERT_TRUE(d.ok()) << c.what << ": code " << d.code;
        EXPECT_EQ(d.rgb, c.rgb) << c.what;
        EXPECT_EQ(rec.calls.empty(), c.file == interlaced) << c.what;
    }
}

TEST(GifReader, DataStoppingHalfWayLeavesTheLowerRowsBlack) {
    const Bytes idx = test::NoiseBytes(64 * 64, 21);
    Bytes f = ExpectedFile(idx, 64, 64);
    f.resize(kImageFlags + 2 + (f.size() - kImageFlags) / 2);
    const Decoded d = test::ReadBytes(image::gif::ReadMemory, f);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.code, image::ErrNone);
    const Bytes full = Expand(idx);
    EXPECT_TRUE(std::equal(full.begin(), full.begin() + 20 * 64 * 3, d.rgb.begin()));
    EXPECT_TRUE(
        std::all_of(d.rgb.end() - 20 * 64 * 3, d.rgb.end(), [](uint8_t v) { return v == 0; }));
}

TEST(GifReader, RefusesBadFilesWithTheirCodes) {
    const Bytes f = ExpectedFile({1, 2, 3, 4}, 2, 2);
    ASSERT_TRUE(test::ReadBytes(image::gif::ReadMemory, f).ok());
    // The file cut to `size` bytes and `tail` appended; `bytes` written at `at`.
    auto cut = [&](size_t size, const Bytes& tail = {}) {
        Bytes g(f.begin(), f.begin() + static_cast<long>(size));
        g.insert(g.end(), tail.begin(), tail.end());
        return g;
    };
    auto patch = [&](size_t at, const Bytes& bytes) {
        Bytes g = f;
        std::copy(bytes.begin(), bytes.end(), g.begin() + static_cast<long>(at));
        return g;
    };
    test::ExpectRefused(
        image::gif::ReadMemory,
        {
            {"signature", patch(0, {'J'}), image::ErrInvalidGif},
            {"version", patch(4, {'8'}), image::ErrInvalidGif},
            {"short screen", cut(10), image::ErrInvalidGif},
            {"short global table", cut(400), image::ErrInvalidGif},
            {"no image", cut(kDescriptor, {0x3B}), image::ErrReadFile},
            {"extension cut short", cut(kDescriptor, {0x21, 0xFE, 9, 'a'}), image::ErrReadFile},
            {"short descriptor", cut(kDescriptor + 5), image::ErrReadFile},
            {"no code size", cut(kImageFlags + 1), image::ErrReadFile},
            {"code size 12", patch(kImageFlags + 1, {12}), image::ErrInvalidGif},
            {"code size 1", patch(kImageFlags + 1, {1}), image::ErrInvalidGif},
            {"zero width", patch(kDescriptor + 5, {0, 0}), image::ErrInvalidGif},
            {"65535 x 65535", patch(kDescriptor + 5, {255, 255, 255, 255}), image::ErrOutOfMemory},
            {"short local table", patch(kImageFlags, {0x87}), image::ErrInvalidGif},
        });
    EXPECT_EQ(test::ReadWith(image::gif::Read, "").code, image::ErrParameter);
    EXPECT_EQ(test::ReadWith(image::gif::Read, "/nonexistent/a.gif").code, image::ErrOpenFile);
    int w = 0, h = 0;
    EXPECT_TRUE(image::gif::ReadMemory(f.data(), f.size(), &w, &h, 11).empty());  // 2 x 2 x 3 > 11
    EXPECT_EQ(image::GetLastImageError(), image::ErrOutOfMemory);
    EXPECT_FALSE(image::gif::ReadMemory(f.data(), f.size(), &w, &h, 12).empty());
}

// Decodes `path` with Pillow or ImageMagick into raw RGB; false when neither
// is available.
bool DecodeElsewhere(const std::string& path, const std::string& rawOut) {
    const std::string pillow =
        "python3 -c \"import sys; from PIL import Image; "
        "open(sys.argv[2], 'wb').write(Image.open(sys.argv[1])"
        ".convert('RGB').tobytes())\" '" +
        path + "' '" + rawOut + "' 2>/dev/null";
    if (std::system(pillow.c_str()) == 0) return true;
    const std::string magick = "convert '" + path + "' -depth 8 rgb:'" + rawOut + "' 2>/dev/null";
    return std::system(magick.c_str()) == 0;
}

TEST(GifWriter, OtherDecodersReadItsOutput) {
    test::TempDir dir;
    const Bytes idx = test::NoiseBytes(131 * 97, 77);
    ASSERT_EQ(WriteGif(dir / "x.gif", idx, 131, 97), 1);
    if (!DecodeElsewhere(dir / "x.gif", dir / "x.rgb"))
        GTEST_SKIP() << "neither Pillow nor ImageMagick is installed to cross-check the output";
    EXPECT_TRUE(test::ReadFileBytes(dir / "x.rgb") == Expand(idx));
}

}  // namespace
}  // namespace vig
