// The own readers with a plan: a box reduction made while the rows are
// decoded gives exactly the box reduction of the full picture, refusals stay
// what they were, and a reduced large picture holds a small part of what the
// whole one would.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "codec_test_util.h"
#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "image/memory_budget.h"
#include "processing/resample.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const std::string kData = VIG_TEST_DATA;

struct Codec {
    const char* ext;
    test::FileReader read;
    image::HintedReaderFn readHinted;
};
const Codec kCodecs[] = {
    {".bmp", image::bmp::Read, image::bmp::ReadHinted},
    {".pcx", image::pcx::Read, image::pcx::ReadHinted},
    {".gif", image::gif::Read, image::gif::ReadHinted},
};

const Codec& CodecOf(const std::string& path) {
    for (const Codec& c : kCodecs)
        if (fs::path(path).extension() == c.ext) return c;
    ADD_FAILURE() << "no codec for " << path;
    return kCodecs[0];
}

struct HintedRead {
    test::Decoded d;
    image::DecodeInfo info;
    int askedWidth = -1;  // what the plan was asked with
    int askedHeight = -1;
};

// Reads with a plan that reduces the picture to (w / dx) x (h / dy), at
// least 1 x 1.
HintedRead ReadReduced(image::HintedReaderFn read, const std::string& path, int dx, int dy) {
    HintedRead r;
    image::DecodeHints hints;
    hints.plan = [&r, dx, dy](int w, int h) {
        r.askedWidth = w;
        r.askedHeight = h;
        return image::DecodePlan{0, 0, std::max(1, w / dx), std::max(1, h / dy)};
    };
    r.info.fullWidth = -1;  // the reader must set every field
    int w = -1, h = -1;
    image::SetLastImageError(image::ErrInternal);
    image::PixelBlock block = read(path, hints, &r.info, &w, &h);
    r.d.code = image::GetLastImageError();
    r.d.width = w;
    r.d.height = h;
    if (!block.empty()) r.d.rgb.assign(block.data(), block.data() + block.size());
    return r;
}

Bytes BoxReduced(const test::Decoded& full, int w, int h) {
    Bytes out(static_cast<size_t>(w) * h * 3);
    EXPECT_EQ(
        processing::ResampleBox(full.rgb.data(), out.data(), full.width, full.height, w, h, true),
        0);
    return out;
}

void Put32(Bytes& f, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The same picture stored top row first: the height negated, the rows
// turned round.
Bytes TopDownTwin(const Bytes& f, int w, int h, int bits) {
    const size_t offset = f[10] | (f[11] << 8) | (f[12] << 16);
    const size_t rowBytes = (static_cast<size_t>(bits) * w + 31) / 32 * 4;
    Bytes g(f.begin(), f.begin() + static_cast<long>(offset));
    Put32(g, 22, static_cast<uint32_t>(-h));
    for (int r = h - 1; r >= 0; --r) {
        const auto row = f.begin() + static_cast<long>(offset + r * rowBytes);
        g.insert(g.end(), row, row + static_cast<long>(rowBytes));
    }
    return g;
}

Bytes Palette(uint32_t seed) {
    return test::NoiseBytes(1024, seed);
}

// A GIF of `idx` (the writer's file), interlaced when asked: the rows are
// given to the writer in pass order and the flag set.
Bytes MakeGif(const test::TempDir& dir, const Bytes& idx, int w, int h, bool interlaced) {
    Bytes stored;
    if (interlaced) {
        const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < h; y += step[pass])
                stored.insert(stored.end(), idx.begin() + static_cast<long>(y) * w,
                              idx.begin() + static_cast<long>(y + 1) * w);
    } else {
        stored = idx;
    }
    const Bytes table = test::NoiseBytes(768, 5);
    EXPECT_EQ(image::gif::Write(dir / "tmp.gif", stored.data(), w, h, 0, table.data(),
                                table.data() + 256, table.data() + 512),
              1);
    Bytes f = test::ReadFileBytes(dir / "tmp.gif");
    if (interlaced) f[13 + 768 + 9] |= 0x40;
    return f;
}

// A GIF with a minimum code size of 9 that stores every pixel as its own
// root code (values up to 511, a clear before the codes grow past 10
// bits); values beyond the 256 entries of its table show black. Its rows are
// in pass order when interlaced.
Bytes RootCodesGif(int w, int h, bool interlaced) {
    Bytes f = {
        'G',  'I', 'F', '8', '9', 'a', uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
        0xF7, 0,   0};
    const Bytes table = test::NoiseBytes(768, 6);
    f.insert(f.end(), table.begin(), table.end());
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, uint8_t(w), uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8),
                       uint8_t(interlaced ? 0x40 : 0), 9});
    const Bytes values = test::NoiseBytes(static_cast<size_t>(w) * h * 2, 7);
    std::vector<int> codes;
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        if (i % 500 == 0) codes.push_back(512);
        codes.push_back((values[2 * i] | values[2 * i + 1] << 8) & 511);
    }
    codes.push_back(513);
    Bytes data;
    uint32_t acc = 0;
    int bits = 0;
    for (int code : codes) {
        acc |= static_cast<uint32_t>(code) << bits;
        for (bits += 10; bits >= 8; bits -= 8, acc >>= 8) data.push_back(static_cast<uint8_t>(acc));
    }
    if (bits > 0) data.push_back(static_cast<uint8_t>(acc));
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        f.push_back(static_cast<uint8_t>(n));
        f.insert(f.end(), data.begin() + static_cast<long>(i),
                 data.begin() + static_cast<long>(i + n));
    }
    f.insert(f.end(), {0, 0x3B});
    return f;
}

// Files of every kind the readers take: the conformance sets, good and
// bad, and larger files made here (BMP rows in several reading runs, GIFs
// whose data stops half way).
std::vector<std::string> AllFiles(const test::TempDir& dir) {
    std::vector<std::string> files;
    for (const char* set : {"bmpsuite/g", "bmpsuite/q", "bmpsuite/b", "pcx", "pcx/q", "pcx/b",
                            "gif", "gif/q", "gif/b"}) {
        for (const auto& e : fs::directory_iterator(kData + "/" + set)) {
            const std::string ext = e.path().extension().string();
            if (ext == ".bmp" || ext == ".pcx" || ext == ".gif") files.push_back(e.path().string());
        }
    }
    auto add = [&](const std::string& name, const Bytes& bytes) {
        EXPECT_TRUE(test::WriteFileBytes(dir / name, bytes));
        files.push_back(dir / name);
    };
    struct BmpKind {
        int bits, w, h;
    };
    // 1000 x 700 x 24 bits and 64 x 20000 x 8 bits span several runs of 1 MB.
    for (const BmpKind k : {BmpKind{1, 301, 203}, BmpKind{4, 173, 99}, BmpKind{8, 64, 20000},
                            BmpKind{24, 1000, 700}, BmpKind{24, 37, 29}}) {
        std::string name = "b";
        name.append(std::to_string(k.bits)).append("-").append(std::to_string(k.w));
        const std::string path = dir / (name + ".bmp");
        if (k.bits == 24) {
            const Bytes rgb = test::NoiseBytes(static_cast<size_t>(k.w) * k.h * 3, k.w);
            EXPECT_EQ(image::bmp::Write24(path, rgb.data(), k.w, k.h), 1);
        } else {
            const Bytes idx = test::NoiseBytes(static_cast<size_t>(k.w) * k.h, k.w, 1 << k.bits);
            EXPECT_EQ(image::bmp::WriteIndexed(path, idx.data(), k.w, k.h, k.bits, 1 << k.bits,
                                               Palette(k.bits).data()),
                      1);
        }
        files.push_back(path);
        add(name + "-topdown.bmp", TopDownTwin(test::ReadFileBytes(path), k.w, k.h, k.bits));
    }
    const Bytes rgb = test::NoiseBytes(257 * 131 * 3, 8);
    EXPECT_EQ(image::pcx::Write24(dir / "p24.pcx", rgb.data(), 257, 131), 1);
    files.push_back(dir / "p24.pcx");
    const Bytes idx = test::NoiseBytes(190 * 77, 9, 7);  // runs and single bytes
    EXPECT_EQ(image::pcx::Write8(dir / "p8.pcx", idx.data(), 190, 77, Palette(8).data()), 1);
    files.push_back(dir / "p8.pcx");
    const Bytes gifIdx = test::NoiseBytes(211 * 97, 10, 23);
    for (bool interlaced : {false, true}) {
        const std::string name = interlaced ? "interlaced" : "plain";
        const Bytes f = MakeGif(dir, gifIdx, 211, 97, interlaced);
        add(name + ".gif", f);
        // Stopping in the first pass and in the last.
        add(name + "-cut-early.gif", Bytes(f.begin(), f.begin() + static_cast<long>(f.size() / 7)));
        add(name + "-cut-late.gif",
            Bytes(f.begin(), f.begin() + static_cast<long>(f.size() * 6 / 7)));
        add(name + "-wide-codes.gif", RootCodesGif(67, 45, interlaced));
    }
    return files;
}

TEST(HintedReads, AReductionIsTheBoxReductionOfTheFullRead) {
    test::TempDir dir;
    const std::vector<std::string> files = AllFiles(dir);
    int reducedFiles = 0;
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const Codec& c = CodecOf(path);
        const test::Decoded full = test::ReadWith(c.read, path);
        // Cells of 4 x 5 pixels and more (square ones take the smaller
        // side), and the whole picture in one pixel.
        for (const auto& [dx, dy] :
             {std::pair{4, 5}, std::pair{3, 11}, std::pair{1 << 20, 1 << 20}}) {
            SCOPED_TRACE(testing::Message() << "reduced by " << dx << " x " << dy);
            const HintedRead r = ReadReduced(c.readHinted, path, dx, dy);
            if (!full.ok()) {
                EXPECT_FALSE(r.d.ok());
                EXPECT_EQ(r.d.code, full.code);
                EXPECT_EQ(r.d.width, 0);
                EXPECT_EQ(r.d.height, 0);
                EXPECT_EQ(r.info.fullWidth, 0);
                EXPECT_FALSE(r.info.reduced);
                continue;
            }
            ASSERT_TRUE(r.d.ok()) << "code " << r.d.code;
            EXPECT_EQ(r.d.code, image::ErrNone);
            EXPECT_EQ(r.askedWidth, full.width);
            EXPECT_EQ(r.askedHeight, full.height);
            EXPECT_EQ(r.info.fullWidth, full.width);
            EXPECT_EQ(r.info.fullHeight, full.height);
            EXPECT_EQ(r.info.orientation, 1);
            EXPECT_TRUE(r.info.reduced);
            const int rw = std::max(1, full.width / dx);
            const int rh = std::max(1, full.height / dy);
            ASSERT_EQ(r.d.width, rw);
            ASSERT_EQ(r.d.height, rh);
            EXPECT_TRUE(r.d.rgb == BoxReduced(full, rw, rh));
        }
        if (full.ok()) ++reducedFiles;
    }
    // 18 + 10 + 7 of the BMP sets (good, questionable, bad), 14 + 5 PCX,
    // 10 + 2 + 2 GIF; 10 BMP, 2 PCX and 8 GIF made here.
    EXPECT_EQ(reducedFiles, 18 + 10 + 7 + 14 + 5 + 10 + 2 + 2 + 10 + 2 + 8);
}

// A compact PCX of 1 bit a pixel declaring w x h: runs of 63 bytes that
// carry over line ends, alternating two values.
Bytes LargePcx(int w, int h) {
    image::pcx::Header header;
    header.bitsPerPixel = 1;
    header.planes = 1;
    header.xmax = static_cast<uint16_t>(w - 1);
    header.ymax = static_cast<uint16_t>(h - 1);
    header.bytesPerLine = static_cast<uint16_t>((w + 15) / 16 * 2);
    header.palette[1][0] = header.palette[1][1] = header.palette[1][2] = 255;
    Bytes f(image::pcx::kHeaderBytes);
    image::pcx::SerializeHeader(header, f.data());
    const size_t total = static_cast<size_t>(header.bytesPerLine) * h;
    for (size_t n = 0, k = 0; n < total; n += 63, ++k)
        f.insert(f.end(), {uint8_t{0xFF}, static_cast<uint8_t>(k % 3 ? 0x5A : 0xF0)});
    return f;
}

TEST(HintedReads, AReducedLargePictureHoldsLittleOfTheBudget) {
    test::TempDir dir;
    const int w = 6000, h = 3000;
    const size_t whole = static_cast<size_t>(w) * h * 3;  // 54 MB
    std::vector<std::string> files;
    // 1-bit BMPs (2.3 MB), bottom-up and top-down.
    Bytes idx(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = ((i % w) / 7 + (i / w) / 5) & 1;
    ASSERT_EQ(image::bmp::WriteIndexed(dir / "big.bmp", idx.data(), w, h, 1, 2, Palette(1).data()),
              1);
    files.push_back(dir / "big.bmp");
    ASSERT_TRUE(test::WriteFileBytes(dir / "big-topdown.bmp",
                                     TopDownTwin(test::ReadFileBytes(dir / "big.bmp"), w, h, 1)));
    files.push_back(dir / "big-topdown.bmp");
    ASSERT_TRUE(test::WriteFileBytes(dir / "big.pcx", LargePcx(w, h)));
    files.push_back(dir / "big.pcx");
    // GIFs of a few pixels whose image and screen declare w x h: the rest
    // of the picture is black.
    for (bool interlaced : {false, true}) {
        Bytes f = MakeGif(dir, test::NoiseBytes(64, 3), 8, 8, interlaced);
        for (size_t at : {size_t{6}, size_t{13 + 768 + 5}}) {
            f[at] = static_cast<uint8_t>(w), f[at + 1] = static_cast<uint8_t>(w >> 8);
            f[at + 2] = static_cast<uint8_t>(h), f[at + 3] = static_cast<uint8_t>(h >> 8);
        }
        const std::string path = dir / (interlaced ? "big-interlaced.gif" : "big.gif");
        ASSERT_TRUE(test::WriteFileBytes(path, f));
        files.push_back(path);
    }
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const Codec& c = CodecOf(path);
        test::Decoded full;
        {
            // Read whole, the picture is reserved...
            image::MemoryBudget budget(2 * whole);
            image::SetThreadMemoryBudget(&budget);
            {
                image::FileMemoryScope scope;
                full = test::ReadWith(c.read, path);
            }
            image::SetThreadMemoryBudget(nullptr);
            ASSERT_TRUE(full.ok()) << full.code;
            EXPECT_GE(budget.peak(), whole);
        }
        // ...so a budget of an eighth of it refuses it, while the reduction
        // to 100 x 50 holds less than a twentieth of it.
        image::MemoryBudget budget(whole / 8);
        image::SetThreadMemoryBudget(&budget);
        {
            image::FileMemoryScope scope;
            EXPECT_EQ(test::ReadWith(c.read, path).code, image::ErrOutOfMemory);
        }
        HintedRead r;
        {
            image::FileMemoryScope scope;
            r = ReadReduced(c.readHinted, path, w / 100, h / 50);
        }
        image::SetThreadMemoryBudget(nullptr);
        ASSERT_TRUE(r.d.ok()) << r.d.code;
        EXPECT_TRUE(r.info.reduced);
        EXPECT_GT(budget.peak(), 0u);
        EXPECT_LT(budget.peak(), whole / 20);
        EXPECT_TRUE(r.d.rgb == BoxReduced(full, 100, 50));
    }
}

}  // namespace
}  // namespace vig
