#include "image/formats/gif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>

#include "codec_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;

struct Table {
    std::array<uint8_t, 256> red{}, green{}, blue{};
};

// A table without black, so that undecoded pixels stand out.
Table TestTable() {
    Table t;
    for (int i = 0; i < 256; ++i) {
        t.red[i] = static_cast<uint8_t>(i);
        t.green[i] = static_cast<uint8_t>(255 - i);
        t.blue[i] = static_cast<uint8_t>(1 + (i * 3) % 250);
    }
    return t;
}

std::vector<uint8_t> Expand(const std::vector<uint8_t>& idx, const Table& t) {
    std::vector<uint8_t> rgb;
    for (uint8_t i : idx) rgb.insert(rgb.end(), {t.red[i], t.green[i], t.blue[i]});
    return rgb;
}

int WriteGif(const std::string& path, const std::vector<uint8_t>& idx, int w, int h,
             const Table& t = TestTable()) {
    return gif::Write(path, idx.data(), w, h, 0, t.red.data(), t.green.data(), t.blue.data());
}

// Offsets in a file the writer made.
constexpr size_t kScreenFlags = 10;
constexpr size_t kDescriptor = 13 + 768;
constexpr size_t kImageFlags = kDescriptor + 9;

// ---- An independent model of the file the writer must produce: plain LZW
// with a dictionary, a clear code first and whenever a new string finds all
// 4096 codes in use, codes packed least significant bit first with the
// widths a decoder expects, 254-byte sub-blocks.

std::vector<int> PlainLzwCodes(const std::vector<uint8_t>& px) {
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

// Code widths as a decoder follows them: 9 bits after a clear; every code but
// the first after a clear adds an entry, and the width grows when the next
// free code reaches 2^width (up to 12).
template <typename Visit>
void WalkWidths(const std::vector<int>& codes, Visit visit) {
    int width = 9, sinceClear = 0;
    for (int code : codes) {
        visit(code, width);
        if (code == 256) {
            width = 9;
            sinceClear = 0;
            continue;
        }
        if (sinceClear >= 1 && 258 + sinceClear == (1 << width) && width < 12) ++width;
        ++sinceClear;
    }
}

std::vector<uint8_t> ExpectedFile(const std::vector<uint8_t>& idx, int w, int h, const Table& t) {
    std::vector<uint8_t> f = {
        'G',  'I', 'F', '8', '7', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
        0xE7, 0,   0};
    for (int i = 0; i < 256; ++i) f.insert(f.end(), {t.red[i], t.green[i], t.blue[i]});
    f.insert(f.end(),
             {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), 0, 8});
    std::vector<uint8_t> data;
    uint64_t acc = 0;
    int bits = 0;
    WalkWidths(PlainLzwCodes(idx), [&](int code, int width) {
        acc |= static_cast<uint64_t>(code) << bits;
        bits += width;
        for (; bits >= 8; bits -= 8, acc >>= 8) data.push_back(static_cast<uint8_t>(acc));
    });
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

// The codes of a file the writer made (table of 256, no extensions).
std::vector<int> CodesOf(const std::vector<uint8_t>& f) {
    std::vector<uint8_t> data;
    size_t at = 13 + 768 + 10 + 1;
    while (at < f.size() && f[at] != 0) {
        const size_t n = f[at];
        data.insert(data.end(), f.begin() + static_cast<long>(at + 1),
                    f.begin() + static_cast<long>(std::min(f.size(), at + 1 + n)));
        at += 1 + n;
    }
    std::vector<int> codes;
    size_t bitPos = 0;
    int width = 9, sinceClear = 0;
    while (bitPos + static_cast<size_t>(width) <= data.size() * 8) {
        int code = 0;
        for (int b = 0; b < width; ++b, ++bitPos)
            code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << b;
        codes.push_back(code);
        if (code == 257) break;
        if (code == 256) {
            width = 9;
            sinceClear = 0;
            continue;
        }
        if (sinceClear >= 1 && 258 + sinceClear == (1 << width) && width < 12) ++width;
        ++sinceClear;
    }
    return codes;
}

TEST(GifWriter, OnePixelIsClearPixelEndAtNineBits) {
    test::TempDir dir;
    const Table t = TestTable();
    ASSERT_EQ(WriteGif(dir / "a.gif", {5}, 1, 1), 1);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "a.gif");
    std::vector<uint8_t> expected = {'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0xE7, 0, 0};
    for (int i = 0; i < 256; ++i)
        expected.insert(expected.end(), {t.red[i], t.green[i], t.blue[i]});
    // Codes 256, 5, 257 of 9 bits each, least significant bit first: 27 bits.
    expected.insert(expected.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8,  //
                                     4, 0x00, 0x0B, 0x04, 0x04, 0, 0x3B});
    EXPECT_EQ(f, expected);
}

TEST(GifWriter, OutputIsExactlyThePlainLzwStream) {
    test::TempDir dir;
    const Table t = TestTable();
    struct Image {
        const char* what;
        int w, h;
        std::vector<uint8_t> idx;
    };
    std::vector<Image> images;
    images.push_back({"noise", 301, 203, test::NoiseBytes(301 * 203, 1)});
    images.push_back({"mostly zeros", 257, 190, test::NoiseBytes(257 * 190, 2, 2)});
    images.push_back({"few values", 640, 100, test::NoiseBytes(640 * 100, 3, 5)});
    images.push_back({"one long run", 9000, 1, std::vector<uint8_t>(9000, 0)});
    images.push_back({"column", 1, 777, test::NoiseBytes(777, 4, 3)});
    // The string (0, 0) has key 0 and hashes to slot 0, as does (16, 1):
    // key 0 is a real key, not a free slot.
    std::vector<uint8_t> slotZero;
    for (int i = 0; i < 40; ++i) slotZero.insert(slotZero.end(), {0, 0, 16, 1, 0, 0, 0, 32, 2});
    images.push_back({"slot zero", 9, 40, slotZero});
    std::vector<uint8_t> ramp(256 * 64);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<uint8_t>((i % 256 + i / 256) & 0xFF);
    images.push_back({"ramp", 256, 64, ramp});
    for (const Image& im : images) {
        ASSERT_EQ(WriteGif(dir / "w.gif", im.idx, im.w, im.h), 1) << im.what;
        const std::vector<uint8_t> f = test::ReadFileBytes(dir / "w.gif");
        EXPECT_TRUE(f == ExpectedFile(im.idx, im.w, im.h, t)) << im.what;
        const Decoded d = test::ReadWith(gif::Read, dir / "w.gif");
        ASSERT_TRUE(d.ok()) << im.what;
        EXPECT_EQ(d.width, im.w);
        EXPECT_TRUE(d.rgb == Expand(im.idx, t)) << im.what;
    }
}

TEST(GifWriter, ClearsWhenEveryCodeUpTo4095IsInUse) {
    test::TempDir dir;
    const std::vector<uint8_t> idx = test::NoiseBytes(200 * 200, 9);
    ASSERT_EQ(WriteGif(dir / "n.gif", idx, 200, 200), 1);
    const std::vector<int> codes = CodesOf(test::ReadFileBytes(dir / "n.gif"));
    ASSERT_GT(codes.size(), 2u);
    EXPECT_EQ(codes.front(), 256);
    EXPECT_EQ(codes.back(), 257);
    std::vector<size_t> clears;
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == 256) clears.push_back(i);
    ASSERT_GE(clears.size(), 3u);
    // 3838 codes fill 258..4095; the 3839th new string brings the clear.
    for (size_t k = 1; k < clears.size(); ++k) EXPECT_EQ(clears[k] - clears[k - 1], 3840u);
    // The stream decodes back in full across the clears.
    const Decoded d = test::ReadWith(gif::Read, dir / "n.gif");
    ASSERT_TRUE(d.ok());
    EXPECT_TRUE(d.rgb == Expand(idx, TestTable()));
}

TEST(GifWriter, CancelEndsTheDataWithoutTrailer) {
    test::TempDir dir;
    const std::vector<uint8_t> idx = test::NoiseBytes(7 * 5, 3);
    {
        test::ProgressRecorder rec(2);
        EXPECT_EQ(WriteGif(dir / "c.gif", idx, 7, 5), 0);
        EXPECT_EQ(GetLastImageError(), ErrCancelled);
        EXPECT_EQ(rec.calls, (std::vector<std::pair<int, int>>{{0, 5}, {1, 5}, {2, 5}}));
    }
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "c.gif");
    // The file ends right after the last data sub-block.
    size_t at = kImageFlags + 2;
    while (at < f.size() && f[at] != 0) at += 1 + f[at];
    EXPECT_EQ(at, f.size());
    EXPECT_EQ(CodesOf(f).back(), 257);
    // Three complete rows were compressed; the rest reads back black.
    const Decoded d = test::ReadWith(gif::Read, dir / "c.gif");
    ASSERT_TRUE(d.ok()) << d.code;
    std::vector<uint8_t> expected =
        Expand(std::vector<uint8_t>(idx.begin(), idx.begin() + 21), TestTable());
    expected.resize(7 * 5 * 3, 0);
    EXPECT_EQ(d.rgb, expected);
}

TEST(GifCodec, RoundTripsOddSizesReportingEachRow) {
    test::TempDir dir;
    const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {3, 5}, {63, 17}, {2, 300}};
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const std::vector<uint8_t> idx = test::NoiseBytes(static_cast<size_t>(w * h), w * h, 7);
        test::ProgressRecorder rec;
        ASSERT_EQ(WriteGif(dir / "r.gif", idx, w, h), 1);
        const Decoded d = test::ReadWith(gif::Read, dir / "r.gif");
        ASSERT_TRUE(d.ok());
        EXPECT_EQ(d.width, w);
        EXPECT_EQ(d.height, h);
        EXPECT_EQ(d.rgb, Expand(idx, TestTable()));
        ASSERT_EQ(rec.calls.size(), static_cast<size_t>(2 * h));  // writer, then reader
        for (int y = 0; y < h; ++y) {
            EXPECT_EQ(rec.calls[y], std::make_pair(y, h));
            EXPECT_EQ(rec.calls[h + y], std::make_pair(y, h));
        }
    }
}

TEST(GifReader, InterlacedRowsComeInPassOrder) {
    test::TempDir dir;
    // Ten rows written in the order an interlaced file stores them; row r of
    // the picture has colour r.
    const int order[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    std::vector<uint8_t> stored;
    for (int r : order) stored.insert(stored.end(), 4, static_cast<uint8_t>(r));
    ASSERT_EQ(WriteGif(dir / "i.gif", stored, 4, 10), 1);
    std::vector<uint8_t> f = test::ReadFileBytes(dir / "i.gif");
    f[kImageFlags] |= 0x40;
    test::ProgressRecorder rec;
    const Decoded d = test::ReadBytes(gif::ReadMemory, f);
    ASSERT_TRUE(d.ok());
    std::vector<uint8_t> picture;
    for (int r = 0; r < 10; ++r) picture.insert(picture.end(), 4, static_cast<uint8_t>(r));
    EXPECT_EQ(d.rgb, Expand(picture, TestTable()));
    EXPECT_TRUE(rec.calls.empty());
}

TEST(GifReader, DataStoppingHalfWayLeavesTheLowerRowsBlack) {
    test::TempDir dir;
    const std::vector<uint8_t> idx = test::NoiseBytes(64 * 64, 21);
    ASSERT_EQ(WriteGif(dir / "t.gif", idx, 64, 64), 1);
    std::vector<uint8_t> f = test::ReadFileBytes(dir / "t.gif");
    f.resize(kImageFlags + 2 + (f.size() - kImageFlags) / 2);
    const Decoded d = test::ReadBytes(gif::ReadMemory, f);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.code, ErrNone);
    const std::vector<uint8_t> full = Expand(idx, TestTable());
    EXPECT_TRUE(std::equal(full.begin(), full.begin() + 20 * 64 * 3, d.rgb.begin()));
    EXPECT_TRUE(
        std::all_of(d.rgb.end() - 20 * 64 * 3, d.rgb.end(), [](uint8_t v) { return v == 0; }));
}

TEST(GifReader, TableChoice) {
    test::TempDir dir;
    const std::vector<uint8_t> idx = {0, 7, 200, 255};
    ASSERT_EQ(WriteGif(dir / "g.gif", idx, 2, 2), 1);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "g.gif");
    // Without any table: a gray ramp.
    std::vector<uint8_t> bare = f;
    bare[kScreenFlags] = 0;
    bare.erase(bare.begin() + 13, bare.begin() + kDescriptor);
    Decoded d = test::ReadBytes(gif::ReadMemory, bare);
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.rgb, (std::vector<uint8_t>{0, 0, 0, 7, 7, 7, 200, 200, 200, 255, 255, 255}));
    // A local table of 8 entries wins over the global one; values beyond it are black.
    std::vector<uint8_t> local(f.begin(), f.begin() + kImageFlags);
    local.push_back(0x82);
    for (int i = 0; i < 8; ++i)
        local.insert(local.end(), {uint8_t(i), uint8_t(i + 1), uint8_t(i + 2)});
    local.insert(local.end(), f.begin() + kImageFlags + 1, f.end());
    d = test::ReadBytes(gif::ReadMemory, local);
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.rgb, (std::vector<uint8_t>{0, 1, 2, 7, 8, 9, 0, 0, 0, 0, 0, 0}));
}

TEST(GifReader, RefusesBadFilesWithTheirCodes) {
    test::TempDir dir;
    ASSERT_EQ(WriteGif(dir / "g.gif", {1, 2, 3, 4}, 2, 2), 1);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "g.gif");
    ASSERT_TRUE(test::ReadBytes(gif::ReadMemory, f).ok());
    auto cut = [&](size_t n) { return std::vector<uint8_t>(f.begin(), f.begin() + n); };
    auto patch = [&](size_t at, uint8_t v) {
        std::vector<uint8_t> g = f;
        g[at] = v;
        return g;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        ErrorCode code;
    };
    std::vector<uint8_t> noImage = cut(kDescriptor);
    noImage.push_back(0x3B);
    std::vector<uint8_t> brokenExtension = cut(kDescriptor);
    brokenExtension.insert(brokenExtension.end(), {0x21, 0xFE, 9, 'a'});
    std::vector<uint8_t> huge = f;
    huge[kDescriptor + 5] = huge[kDescriptor + 6] = huge[kDescriptor + 7] = huge[kDescriptor + 8] =
        0xFF;
    std::vector<uint8_t> zero = f;
    zero[kDescriptor + 5] = zero[kDescriptor + 6] = 0;
    const std::vector<Case> cases = {
        {"signature", patch(0, 'J'), ErrInvalidGif},
        {"version", patch(4, '8'), ErrInvalidGif},
        {"short screen", cut(10), ErrInvalidGif},
        {"short global table", cut(400), ErrInvalidGif},
        {"no image", noImage, ErrReadFile},
        {"extension cut short", brokenExtension, ErrReadFile},
        {"short descriptor", cut(kDescriptor + 5), ErrReadFile},
        {"no code size", cut(kImageFlags + 1), ErrReadFile},
        {"code size 12", patch(kImageFlags + 1, 12), ErrInvalidGif},
        {"code size 1", patch(kImageFlags + 1, 1), ErrInvalidGif},
        {"zero width", zero, ErrInvalidGif},
        {"65535 x 65535", huge, ErrOutOfMemory},
        {"short local table", patch(kImageFlags, 0x87), ErrInvalidGif},
    };
    for (const Case& c : cases) {
        const Decoded d = test::ReadBytes(gif::ReadMemory, c.bytes);
        EXPECT_FALSE(d.ok()) << c.what;
        EXPECT_EQ(d.code, c.code) << c.what;
        EXPECT_EQ(d.width, 0) << c.what;
    }
    EXPECT_EQ(test::ReadWith(gif::Read, "").code, ErrParameter);
    EXPECT_EQ(test::ReadWith(gif::Read, "/nonexistent/a.gif").code, ErrOpenFile);
    int w = 0, h = 0;
    EXPECT_TRUE(gif::ReadMemory(f.data(), f.size(), &w, &h, 11).empty());  // 2 x 2 x 3 > 11
    EXPECT_EQ(GetLastImageError(), ErrOutOfMemory);
    EXPECT_FALSE(gif::ReadMemory(f.data(), f.size(), &w, &h, 12).empty());
    test::ProgressRecorder cancel(1);
    ASSERT_EQ(cancel.calls.size(), 0u);
    EXPECT_EQ(test::ReadBytes(gif::ReadMemory, f).code, ErrCancelled);
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
    const std::vector<uint8_t> idx = test::NoiseBytes(131 * 97, 77);
    ASSERT_EQ(WriteGif(dir / "x.gif", idx, 131, 97), 1);
    if (!DecodeElsewhere(dir / "x.gif", dir / "x.rgb"))
        GTEST_SKIP() << "neither Pillow nor ImageMagick is installed to cross-check the output";
    EXPECT_TRUE(test::ReadFileBytes(dir / "x.rgb") == Expand(idx, TestTable()));
}

}  // namespace
}  // namespace vig
