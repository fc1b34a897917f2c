// What converting a picture's colours to sRGB costs: the conversion of a
// 12-megapixel picture (4000 x 3000) row by row alone, and beside it the
// same picture as a JPEG that carries a Display P3 profile, decoded as
// stored and converted while decoded, whole and reduced to a thumbnail while
// decoded; and what making a transform costs, made afresh and kept by the
// thread.
//   colour_bench [benchmark flags]
// Items are pixels; compare within one run only.
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "image/colour_profile.h"
#include "image/formats/jpeg.h"
#include "platform/system.h"
#include "support/colour_profiles.h"
#include "support/tagged_pictures.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A smooth picture with some grain, as a photo.
const std::vector<uint8_t>& Picture() {
    static const std::vector<uint8_t> picture = [] {
        std::vector<uint8_t> v(static_cast<size_t>(kWidth) * kHeight * 3);
        std::mt19937 rng(7);
        size_t i = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x, i += 3) {
                const int grain = static_cast<int>(rng() & 7);
                v[i] = static_cast<uint8_t>((x * 255 / kWidth + grain) & 0xFF);
                v[i + 1] = static_cast<uint8_t>((y * 255 / kHeight + grain) & 0xFF);
                v[i + 2] = static_cast<uint8_t>(((x + y) / 28 + grain) & 0xFF);
            }
        return v;
    }();
    return picture;
}

const std::vector<uint8_t>& DisplayP3() {
    static const double kP3[6] = {0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
    static const std::vector<uint8_t> bytes = vig::test::RgbProfile(kP3);
    return bytes;
}

const std::string& TaggedJpeg() {
    static const std::string path = [] {
        const std::string p = vig::platform::TempFolder() + "/vig-bench-colour-" +
                              std::to_string(getpid()) + ".jpg";
        vig::test::WriteTaggedJpeg(p, Picture(), kWidth, kHeight, DisplayP3());
        return p;
    }();
    return path;
}

void Count(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

// The conversion alone, row by row in place.
void BM_ConvertRows(benchmark::State& state) {
    vig::image::ColourTransform transform;
    if (transform.FromIcc(DisplayP3().data(), DisplayP3().size()) !=
        vig::image::ProfileOutcome::Converted) {
        state.SkipWithError("no transform");
        return;
    }
    std::vector<uint8_t> rows = Picture();
    const size_t stride = size_t{kWidth} * 3;
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) transform.Convert(rows.data() + y * stride, kWidth);
        benchmark::DoNotOptimize(rows.data());
    }
    Count(state);
}

// Arguments: converted (0 as stored, 1 converted), thumbnail width (0: the
// whole picture).
void BM_JpegDecode(benchmark::State& state) {
    vig::image::DecodeHints hints;
    hints.convertProfiles = state.range(0) != 0 ? vig::image::ProfileConversion::All
                                                : vig::image::ProfileConversion::None;
    const int thumbnail = static_cast<int>(state.range(1));
    if (thumbnail > 0)
        hints.plan = [thumbnail](int, int) {
            return vig::image::DecodePlan{0, 0, thumbnail, thumbnail * 3 / 4};
        };
    for (auto _ : state) {
        vig::image::DecodeInfo info;
        int w = 0, h = 0;
        vig::image::PixelBlock block =
            vig::image::jpeg::ReadHinted(TaggedJpeg(), hints, &info, &w, &h);
        if (block.empty()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(block.data());
    }
    Count(state);
}

// Making a transform: afresh each time (five profiles in turn, more than a
// thread keeps), or the one the thread keeps.
void BM_MakeTransform(benchmark::State& state) {
    std::vector<std::vector<uint8_t>> profiles;
    const int count = state.range(0) != 0 ? 5 : 1;
    for (int k = 0; k < count; ++k) {
        const double xy[6] = {0.64 + 0.01 * k, 0.33, 0.30, 0.60, 0.15, 0.06};
        profiles.push_back(vig::test::RgbProfile(xy));
    }
    size_t next = 0;
    for (auto _ : state) {
        vig::image::ColourTransform transform;
        const std::vector<uint8_t>& p = profiles[next++ % profiles.size()];
        if (transform.FromIcc(p.data(), p.size()) != vig::image::ProfileOutcome::Converted)
            state.SkipWithError("no transform");
    }
}

BENCHMARK(BM_ConvertRows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegDecode)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 160})
    ->Args({1, 160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_MakeTransform)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TaggedJpeg();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(TaggedJpeg().c_str());
    return 0;
}
