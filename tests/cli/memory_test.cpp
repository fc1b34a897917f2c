// The memory of a folder run: one budget for all the files in hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/row_jpeg.h"

namespace vig::test {
namespace {

namespace fs = std::filesystem;

// Sanitizers keep freed memory and map shadow memory of their own: resident
// sizes and address-space limits say nothing about the program then.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMeasurable = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kMeasurable = false;
#else
constexpr bool kMeasurable = true;
#endif
#else
constexpr bool kMeasurable = true;
#endif

// A progressive JPEG of w x h with a diagonal band: libjpeg keeps all of its
// coefficients while decoding (w x h x 1.5 x 2 bytes at 4:2:0).
void WriteProgressiveJpeg(const std::string& path, int w, int h, int shade) {
    WriteJpeg(path, w, h, true, [&](int y, uint8_t* row) {
        for (int x = 0; x < w; ++x) {
            const bool band = (x - y * w / h + w) % w < w / 20;
            row[x * 3] = band ? 255 : static_cast<uint8_t>(shade);
            row[x * 3 + 1] = band ? 255 : 90;
            row[x * 3 + 2] = band ? 255 : static_cast<uint8_t>(y * 255 / h);
        }
    });
}

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(MemoryBudget, FilesSideBySideShareOneBudgetAndConvertWhatOneThreadConverts) {
    CliSandbox box;
    const fs::path src = box.dir() / "src";
    fs::create_directories(src);
    constexpr int kSide = 4000;  // 48 MB of coefficients a file
    for (int i = 0; i < 4; ++i)
        WriteProgressiveJpeg(src / ("p" + std::to_string(i) + ".jpg"), kSide, kSide, 40 * i);
    const auto run = [&](const std::string& out, std::vector<std::string> extra,
                         const RunLimits& limits = {}) {
        fs::create_directories(box.dir() / out);
        std::vector<std::string> args = {"/h", "/d", src, box.dir() / out};
        args.insert(args.end(), extra.begin(), extra.end());
        return box.Run(args, limits);
    };
    const RunResult one = run("one", {"/j", "1"});
    ASSERT_EQ(one.status, 0) << one.err;
    const RunResult free4 = run("free", {"/j", "4"});
    ASSERT_EQ(free4.status, 0) << free4.err;
    // Room for one file at a time: four threads hold about what one does.
    const RunResult shared4 = run("shared", {"/j", "4", "/mem", "70"});
    ASSERT_EQ(shared4.status, 0) << shared4.err;
    if (kMeasurable) {
        EXPECT_LT(shared4.peakKilobytes, one.peakKilobytes + 40 * 1024)
            << "one thread " << one.peakKilobytes << " KB, four unbounded " << free4.peakKilobytes
            << " KB";
        EXPECT_GT(free4.peakKilobytes, shared4.peakKilobytes + 60 * 1024);
        // Under an address-space limit that one thread lives with, eight
        // convert every file too.
        RunLimits tight;
        tight.maxAddressBytes = 420LL << 20;
        const RunResult limited8 = run("limited", {"/j", "8"}, tight);
        EXPECT_EQ(limited8.status, 0) << limited8.err;
    }
    // The same bytes whatever the threads and the budget.
    for (int i = 0; i < 4; ++i) {
        const std::string name = "p" + std::to_string(i) + ".jpg";
        const std::string want = Bytes(fs::path(box.dir() / "one") / name);
        ASSERT_FALSE(want.empty());
        for (const char* out : {"free", "shared", "limited"}) {
            if (!kMeasurable && std::string(out) == "limited") continue;
            EXPECT_EQ(Bytes(fs::path(box.dir() / out) / name), want) << out << "/" << name;
        }
    }
    // A file that cannot fit even alone is a clear failure, and the run goes on.
    const RunResult tooSmall = run("small", {"/j", "2", "/mem", "20"});
    EXPECT_EQ(tooSmall.status, 1);
    EXPECT_NE(tooSmall.err.find("Out of memory"), std::string::npos) << tooSmall.err;
    EXPECT_NE(tooSmall.out.find("Processed 4 of 4"), std::string::npos) << tooSmall.out;
}

}  // namespace
}  // namespace vig::test
