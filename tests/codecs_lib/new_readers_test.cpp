// What the HEIF, AVIF and WebP readers share: the reduction made while the
// rows are delivered, the refusal of pictures beyond the block cap before
// decoding, the memory they reserve from the budget, and stopping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "image/cpx_image.h"
#include "image/formats/heif.h"
#include "image/formats/webp.h"
#include "image/image_library.h"
#include "image/memory_budget.h"
#include "lib_test_util.h"
#include "modern_test_util.h"
#include "support/exif_jpeg.h"

namespace vig {
namespace {

using test::Samples;
using test::TempDir;

struct Format {
    const char* name;
    std::vector<std::string> command;
    int channels;
    image::PixelBlock (*read)(const std::string&, int*, int*);
};

const Format kFormats[] = {
    {"alpha.heic", {"heif-enc", "-q", "80"}, 4, image::heif::Read},
    {"rgb.avif", {"heif-enc", "-q", "80"}, 3, image::heif::ReadAvif},
    {"alpha.webp", {"cwebp", "-quiet", "-q", "80"}, 4, image::webp::Read},
    {"lossless.webp", {"cwebp", "-quiet", "-lossless"}, 3, image::webp::Read},
};

constexpr int kWidth = 67;
constexpr int kHeight = 45;

class NewReaders : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = test::MissingProgram({"heif-enc", "cwebp", "webpmux"});
        if (!missing.empty())
            GTEST_SKIP() << missing << " is not installed (scripts/setup.sh --test installs it)";
        for (const Format& f : kFormats) {
            const Samples source = test::TestPicture(kWidth, kHeight, f.channels, 8);
            ASSERT_TRUE(test::EncodePicture(dir / f.name, source, f.command)) << f.name;
        }
    }
    TempDir dir;
};

// Reducing while the rows come gives what reducing the whole picture
// gives, also for a WebP photo turned upright by its EXIF orientation.
TEST_F(NewReaders, ReducedWhileDecodingAsWhenReducedAfter) {
    ASSERT_TRUE(test::WriteFileBytes(dir / "exif.bin", test::ExifOrientationBlock(6)));
    ASSERT_TRUE(test::RunProgram({"webpmux", "-set", "exif", dir / "exif.bin", dir / "alpha.webp",
                                  "-o", dir / "turned.webp"}));
    std::vector<std::string> files;
    for (const Format& f : kFormats) files.push_back(f.name);
    files.push_back("turned.webp");
    const std::pair<int, int> sizes[] = {{13, 9}, {33, 22}, {66, 44}, {1, 1}};
    for (const std::string& file : files) {
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE(file + " " + std::to_string(w) + "x" + std::to_string(h));
            const bool turned = file == "turned.webp";
            const int rw = turned ? h : w, rh = turned ? w : h;
            image::DecodeHints whole;
            whole.readOrientation = true;
            image::CPxImage after;
            after.SetPngOptions(0, 2.2, "", "", false, false, test::kTestBackground);
            image::DecodeInfo info;
            ASSERT_EQ(after.Load(dir / file, whole, &info), image::ErrNone);
            ASSERT_FALSE(info.reduced);
            ASSERT_EQ(after.Resize(rw, rh, 2), image::ErrNone);
            image::DecodeHints hints = whole;
            std::pair<int, int> asked;
            hints.plan = [&](int fw, int fh) {
                asked = {fw, fh};
                return image::DecodePlan{0, 0, rw, rh};
            };
            image::CPxImage during;
            during.SetPngOptions(0, 2.2, "", "", false, false, test::kTestBackground);
            ASSERT_EQ(during.Load(dir / file, hints, &info), image::ErrNone);
            EXPECT_EQ(asked,
                      turned ? std::make_pair(kHeight, kWidth) : std::make_pair(kWidth, kHeight));
            // A turned picture is reduced as it comes where the cells' sums
            // hold less than the picture; else it is delivered whole.
            EXPECT_TRUE(info.reduced || (turned && w * h > 13 * 9));
            if (!info.reduced) {
                ASSERT_EQ(during.Resize(rw, rh, 2), image::ErrNone);
            }
            EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight), asked);
            ASSERT_EQ(std::make_pair(during.width(), during.height()), std::make_pair(rw, rh));
            EXPECT_EQ(std::memcmp(during.data(), after.data(), size_t(rw) * rh * 3), 0);
        }
    }
}

// A picture whose rows would pass the block cap is refused with "Out of
// memory" before anything is decoded, whether the cap is lowered or the
// file declares a size beyond it.
TEST_F(NewReaders, PicturesBeyondTheBlockCapAreRefusedBeforeDecoding) {
    for (const Format& f : kFormats) {
        image::SetMaxBlockBytes(size_t{kWidth} * kHeight * 3 - 1);
        int w = -1, h = -1;
        const bool empty = f.read(dir / f.name, &w, &h).empty();
        const image::ErrorCode code = image::GetLastImageError();
        image::SetMaxBlockBytes(image::kMaxBlockBytes);
        EXPECT_TRUE(empty) << f.name;
        EXPECT_EQ(code, image::ErrOutOfMemory) << f.name;
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
    // The HEIF's image spatial extents, and the size in a lossless WebP's
    // bitstream header, made huge.
    std::vector<uint8_t> heic = test::ReadFileBytes(dir / "alpha.heic");
    const char ispe[] = "ispe";
    size_t found = 0;
    for (auto at = heic.begin(); (at = std::search(at, heic.end(), ispe, ispe + 4)) != heic.end();
         ++at, ++found) {
        const size_t p = static_cast<size_t>(at - heic.begin()) + 8;   // after version, flags
        const uint8_t size[8] = {0, 0, 0x9C, 0x40, 0, 0, 0x9C, 0x40};  // 40000 x 40000
        std::copy(size, size + 8, heic.begin() + static_cast<std::ptrdiff_t>(p));
    }
    ASSERT_GT(found, 0u);
    ASSERT_TRUE(test::WriteFileBytes(dir / "huge.heic", heic));
    int w = -1, h = -1;
    EXPECT_TRUE(image::heif::Read(dir / "huge.heic", &w, &h).empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrOutOfMemory) << "40000 x 40000";

    std::vector<uint8_t> webp = test::ReadFileBytes(dir / "lossless.webp");
    ASSERT_TRUE(std::equal(webp.begin() + 12, webp.begin() + 16, "VP8L"));
    ASSERT_EQ(webp[20], 0x2F);
    // Width - 1 and height - 1 in 14 bits each, then the alpha bit and the
    // version, little-endian.
    uint32_t header = uint32_t{webp[21]} | uint32_t{webp[22]} << 8 | uint32_t{webp[23]} << 16 |
                      uint32_t{webp[24]} << 24;
    header = (header & 0xF0000000u) | 16383u | 16383u << 14;  // 16384 x 16384
    for (int i = 0; i < 4; ++i) webp[21 + i] = static_cast<uint8_t>(header >> (8 * i));
    ASSERT_TRUE(test::WriteFileBytes(dir / "huge.webp", webp));
    image::SetMaxBlockBytes(size_t{64} << 20);
    const bool empty = image::webp::Read(dir / "huge.webp", &w, &h).empty();
    const image::ErrorCode code = image::GetLastImageError();
    image::SetMaxBlockBytes(image::kMaxBlockBytes);
    EXPECT_TRUE(empty);
    EXPECT_EQ(code, image::ErrOutOfMemory) << "16384 x 16384";
}

// What the libraries hold while decoding (libheif's decoded planes and
// their conversion, libwebp's output and a lossless decoder's own copy) is
// reserved beside the rows: a budget that holds the rows and a little more
// is not enough, where it would be for a reader that holds only rows.
TEST_F(NewReaders, DecodingMemoryIsReservedFromTheBudget) {
    const size_t pixels = size_t{kWidth} * kHeight;
    for (const Format& f : kFormats) {
        SCOPED_TRACE(f.name);
        for (const size_t total : {pixels * 7, size_t{64} << 20}) {
            image::MemoryBudget budget(total);
            image::SetThreadMemoryBudget(&budget);
            image::ErrorCode code = image::ErrNone;
            size_t held = 0;
            {
                image::FileMemoryScope scope;
                image::CPxImage image;
                code = image.Load(dir / f.name);
                held = image::FileMemoryHeld();
            }
            image::SetThreadMemoryBudget(nullptr);
            if (total == pixels * 7) {
                EXPECT_EQ(code, image::ErrOutOfMemory);
            } else {
                EXPECT_EQ(code, image::ErrNone);
                EXPECT_GE(held, pixels * (3 + 4)) << "the rows and at least 4 bytes a pixel";
                EXPECT_EQ(budget.used(), 0u) << "given back with the file";
            }
        }
    }
}

// A progress callback that answers 0, or a stop request, ends the read.
TEST_F(NewReaders, CancelAndStopEndTheRead) {
    for (const Format& f : kFormats) {
        {
            test::ProgressRecorder recorder(3);
            int w = -1, h = -1;
            EXPECT_TRUE(f.read(dir / f.name, &w, &h).empty()) << f.name;
            EXPECT_EQ(image::GetLastImageError(), image::ErrCancelled) << f.name;
            EXPECT_EQ(recorder.rows, (std::vector<int>{0, 1, 2, 3})) << f.name;
            EXPECT_EQ(recorder.lastTotal, kHeight);
        }
        image::SetStopCheck([](void*) { return true; }, nullptr);
        int w = -1, h = -1;
        const bool empty = f.read(dir / f.name, &w, &h).empty();
        const image::ErrorCode code = image::GetLastImageError();
        image::SetStopCheck(nullptr, nullptr);
        EXPECT_TRUE(empty) << f.name;
        EXPECT_EQ(code, image::ErrCancelled) << f.name;
    }
}

}  // namespace
}  // namespace vig
