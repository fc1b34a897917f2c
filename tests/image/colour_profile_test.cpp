// The colour conversion unit: which profiles and nclx descriptions it takes,
// its sRGB values against transicc's (computed in floating point), and one
// transform per thread.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "image/colour_profile.h"
#include "support/colour_profiles.h"

namespace vig {
namespace {

using test::Rgb;

// A row of colours that cover the cube: its corners, grays and a spread of
// others.
std::vector<Rgb> TestColours() {
    std::vector<Rgb> colours;
    for (int i = 0; i < 8; ++i)
        colours.push_back({static_cast<uint8_t>(i & 1 ? 255 : 0),
                           static_cast<uint8_t>(i & 2 ? 255 : 0),
                           static_cast<uint8_t>(i & 4 ? 255 : 0)});
    for (int v : {1, 17, 64, 128, 200, 254}) {
        const auto g = static_cast<uint8_t>(v);
        colours.push_back({g, g, g});
    }
    uint32_t s = 7;
    for (int i = 0; i < 50; ++i) {
        s = s * 1664525u + 1013904223u;
        colours.push_back({static_cast<uint8_t>(s >> 24), static_cast<uint8_t>(s >> 16),
                           static_cast<uint8_t>(s >> 8)});
    }
    return colours;
}

std::vector<uint8_t> AsRow(const std::vector<Rgb>& colours) {
    std::vector<uint8_t> row;
    for (const Rgb& c : colours) row.insert(row.end(), c.begin(), c.end());
    return row;
}

// Every sample of `row` within `tolerance` of the reference's.
void ExpectNear(const std::vector<uint8_t>& row, const std::vector<std::array<double, 3>>& want,
                double tolerance, const std::string& what) {
    ASSERT_EQ(row.size(), want.size() * 3) << what;
    for (size_t i = 0; i < want.size(); ++i)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(row[i * 3 + c], want[i][c], tolerance)
                << what << ": colour " << i << " channel " << c;
}

TEST(ColourProfile, WhichProfilesConvertAndWhichAreIgnored) {
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    ASSERT_GT(p3.size(), 300u);
    // Larger than the profiles a thread keeps.
    std::vector<uint8_t> padded = p3;
    padded.resize(300 << 10, 0);
    std::vector<uint8_t> noise(600);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 131 + 7);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        image::ProfileOutcome outcome;
    } cases[] = {
        {"Display P3", p3, image::ProfileOutcome::Converted},
        {"Display P3 in a large block", padded, image::ProfileOutcome::Converted},
        {"none", {}, image::ProfileOutcome::None},
        {"cut within the header", test::Truncated(p3, 100), image::ProfileOutcome::Unreadable},
        {"cut within the tags", test::Truncated(p3, p3.size() / 2),
         image::ProfileOutcome::Unreadable},
        {"tag data scrambled", test::TagsScrambled(p3), image::ProfileOutcome::Unreadable},
        {"not a profile", noise, image::ProfileOutcome::Unreadable},
        {"gray", test::GrayProfile(), image::ProfileOutcome::NotRgb},
        {"CMYK", test::CmykProfile(), image::ProfileOutcome::NotRgb},
    };
    const std::vector<uint8_t> before = AsRow(TestColours());
    for (const auto& c : cases) {
        image::ColourTransform transform;
        EXPECT_EQ(transform.FromIcc(c.bytes.data(), c.bytes.size()), c.outcome) << c.name;
        EXPECT_EQ(transform.active(), c.outcome == image::ProfileOutcome::Converted) << c.name;
        std::vector<uint8_t> row = before;
        transform.Convert(row.data(), static_cast<int>(row.size() / 3));
        if (c.outcome == image::ProfileOutcome::Converted)
            EXPECT_NE(row, before) << c.name;
        else
            EXPECT_EQ(row, before) << c.name << ": an ignored profile changes nothing";
    }
    // A transform built again after a failure starts afresh.
    image::ColourTransform reused;
    EXPECT_EQ(reused.FromIcc(p3.data(), p3.size()), image::ProfileOutcome::Converted);
    const std::vector<uint8_t> gray = test::GrayProfile();
    EXPECT_EQ(reused.FromIcc(gray.data(), gray.size()), image::ProfileOutcome::NotRgb);
    EXPECT_FALSE(reused.active());
}

TEST(ColourProfile, DisplayP3ColoursComeOutAsTransiccGivesThemInSrgb) {
    if (!test::TransiccInstalled())
        GTEST_SKIP() << "transicc is not installed (liblcms2-utils); run scripts/setup.sh --test";
    const std::vector<Rgb> colours = TestColours();
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    const auto want = test::TransiccToSrgb(p3, colours);
    ASSERT_EQ(want.size(), colours.size());
    image::ColourTransform transform;
    ASSERT_EQ(transform.FromIcc(p3.data(), p3.size()), image::ProfileOutcome::Converted);
    // The whole row at once, converted where it lies.
    std::vector<uint8_t> row = AsRow(colours);
    transform.Convert(row.data(), static_cast<int>(colours.size()));
    ExpectNear(row, want, 1.0, "Display P3");
    // P3's red lies outside sRGB: it is clipped to sRGB's own red.
    EXPECT_EQ(Rgb({row[3], row[4], row[5]}), Rgb({255, 0, 0}));
}

// The sRGB value of linear light v (0..1).
double SrgbOfLinear(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}

TEST(ColourProfile, NclxDescriptionsBuildTheirRgbSpaces) {
    const bool transicc = test::TransiccInstalled();
    static const double kBt2020[6] = {0.708, 0.292, 0.170, 0.797, 0.131, 0.046};
    const std::vector<Rgb> colours = TestColours();
    // For the codes with sRGB's primaries, what the curve gives in linear
    // light, in sRGB (worked out here, not by LittleCMS).
    const auto curveOnly = [&colours](double (*linear)(double)) {
        std::vector<std::array<double, 3>> want;
        for (const Rgb& c : colours)
            want.push_back({SrgbOfLinear(linear(c[0] / 255.0)), SrgbOfLinear(linear(c[1] / 255.0)),
                            SrgbOfLinear(linear(c[2] / 255.0))});
        return want;
    };
    const struct {
        int primaries, transfer;
        image::ProfileOutcome outcome;
        std::vector<uint8_t> sameAs;  // a profile of the same colours, for transicc
        double (*linear)(double);     // or the curve, with sRGB's primaries
    } cases[] = {
        {1, 13, image::ProfileOutcome::None, {}, nullptr},  // sRGB itself
        {2, 2, image::ProfileOutcome::None, {}, nullptr},   // unspecified: sRGB
        {12, 13, image::ProfileOutcome::Converted, test::DisplayP3Profile(), nullptr},
        {9, 13, image::ProfileOutcome::Converted, test::RgbProfile(kBt2020), nullptr},
        {1, 8, image::ProfileOutcome::Converted, {}, [](double v) { return v; }},
        {1,
         1,
         image::ProfileOutcome::Converted,
         {},
         [](double v) { return v < 0.081 ? v / 4.5 : std::pow((v + 0.099) / 1.099, 1 / 0.45); }},
        {1, 4, image::ProfileOutcome::Converted, {}, [](double v) { return std::pow(v, 2.2); }},
        {9, 16, image::ProfileOutcome::Unsupported, {}, nullptr},   // PQ
        {9, 18, image::ProfileOutcome::Unsupported, {}, nullptr},   // HLG
        {10, 13, image::ProfileOutcome::Unsupported, {}, nullptr},  // XYZ primaries
        {0, 13, image::ProfileOutcome::Unsupported, {}, nullptr},
        {12, 99, image::ProfileOutcome::Unsupported, {}, nullptr},
    };
    for (const auto& c : cases) {
        const std::string name =
            "primaries " + std::to_string(c.primaries) + " transfer " + std::to_string(c.transfer);
        image::ColourTransform transform;
        EXPECT_EQ(transform.FromNclx({c.primaries, c.transfer}), c.outcome) << name;
        std::vector<uint8_t> row = AsRow(colours);
        transform.Convert(row.data(), static_cast<int>(colours.size()));
        if (c.outcome != image::ProfileOutcome::Converted) {
            EXPECT_EQ(row, AsRow(colours)) << name;
        } else if (c.linear != nullptr) {
            ExpectNear(row, curveOnly(c.linear), 1.0, name);
        } else if (transicc) {
            ExpectNear(row, test::TransiccToSrgb(c.sameAs, colours), 1.0, name);
        }
    }
}

TEST(ColourProfile, EachThreadConvertsWithItsOwnTransform) {
    const std::vector<uint8_t> p3 = test::DisplayP3Profile();
    const std::vector<uint8_t> source = AsRow(TestColours());
    const int width = static_cast<int>(source.size() / 3);
    std::vector<uint8_t> want = source;
    {
        image::ColourTransform one;
        ASSERT_EQ(one.FromIcc(p3.data(), p3.size()), image::ProfileOutcome::Converted);
        one.Convert(want.data(), width);
    }
    // Every row each thread converted, four threads at once.
    std::vector<std::vector<std::vector<uint8_t>>> got(4);
    std::vector<std::thread> threads;
    for (auto& rows : got) {
        threads.emplace_back([&] {
            for (int round = 0; round < 20; ++round) {
                image::ColourTransform transform;
                std::vector<uint8_t> row = source;
                if (transform.FromIcc(p3.data(), p3.size()) == image::ProfileOutcome::Converted)
                    transform.Convert(row.data(), width);
                else
                    row.clear();
                rows.push_back(row);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (const auto& rows : got) {
        ASSERT_EQ(rows.size(), 20u);
        for (const auto& row : rows) EXPECT_EQ(row, want);
    }
}

// A thread keeps the transforms it made last: each profile still gets its
// own, whether it is kept, pushed out or made again.
TEST(ColourProfile, EveryProfileGetsItsOwnTransformWhateverTheThreadKeeps) {
    std::vector<std::vector<uint8_t>> profiles;
    for (int k = 0; k < 6; ++k) {
        const double xy[6] = {0.64 + 0.01 * k, 0.33, 0.30, 0.60 - 0.02 * k, 0.15, 0.06};
        profiles.push_back(test::RgbProfile(xy));
    }
    const std::vector<uint8_t> source = AsRow(TestColours());
    const int width = static_cast<int>(source.size() / 3);
    std::vector<std::vector<uint8_t>> first;
    for (const auto& p : profiles) {
        image::ColourTransform t;
        EXPECT_EQ(t.FromIcc(p.data(), p.size()), image::ProfileOutcome::Converted);
        first.push_back(source);
        t.Convert(first.back().data(), width);
    }
    for (size_t k = 1; k < first.size(); ++k) EXPECT_NE(first[k], first[0]) << k;
    // Back and forth, and an nclx description between.
    for (size_t k : {5, 0, 5, 3, 1, 4, 2, 0}) {
        image::ColourTransform t;
        ASSERT_EQ(t.FromIcc(profiles[k].data(), profiles[k].size()),
                  image::ProfileOutcome::Converted);
        image::ColourTransform between;
        EXPECT_EQ(between.FromNclx({9, 1}), image::ProfileOutcome::Converted);
        std::vector<uint8_t> row = source;
        t.Convert(row.data(), width);
        EXPECT_EQ(row, first[k]) << "profile " << k;
    }
}

}  // namespace
}  // namespace vig
