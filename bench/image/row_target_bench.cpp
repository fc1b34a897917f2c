// A 12-megapixel picture (4000 x 3000) fed row by row through a RowTarget,
// as a reader feeds it, for each way the target can keep it; beside them
// what holding it whole costs: turning it upright and box-reducing it.
//   row_target_bench [benchmark flags]
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "image/row_target.h"
#include "processing/resample.h"
#include "processing/rotation.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

const std::vector<uint8_t>& Picture() {
    static const std::vector<uint8_t> picture = [] {
        std::vector<uint8_t> v(static_cast<size_t>(kWidth) * kHeight * 3);
        std::mt19937 rng(7);
        for (uint8_t& b : v) b = static_cast<uint8_t>(rng());
        return v;
    }();
    return picture;
}

// Arguments: orientation, reduced width (0: none), rows bottom first.
void BM_RowTarget(benchmark::State& state) {
    const int orientation = static_cast<int>(state.range(0));
    const int reduceWidth = static_cast<int>(state.range(1));
    const bool bottomUp = state.range(2) != 0;
    const bool turned = orientation >= 5;
    const int reduceHeight =
        reduceWidth == 0 ? 0 : reduceWidth * (turned ? 4 : 3) / (turned ? 3 : 4);
    const std::vector<uint8_t>& picture = Picture();
    const size_t stride = static_cast<size_t>(kWidth) * 3;
    for (auto _ : state) {
        vig::image::RowTarget target;
        if (target.Start(kWidth, kHeight, orientation, !bottomUp,
                         vig::image::DecodePlan{0, 0, reduceWidth, reduceHeight}, 0) != 0) {
            state.SkipWithError("no memory");
            return;
        }
        for (int n = 0; n < kHeight; ++n) {
            const int y = bottomUp ? kHeight - 1 - n : n;
            std::memcpy(target.Row(y), picture.data() + static_cast<size_t>(y) * stride, stride);
            target.RowDone(y);
        }
        int w = 0, h = 0;
        benchmark::DoNotOptimize(target.Finish(&w, &h));
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RowTarget)
    ->ArgNames({"orientation", "reduce", "bottom_up"})
    ->Args({1, 0, 0})    // kept as it comes
    ->Args({6, 0, 0})    // turned as it comes
    ->Args({1, 100, 0})  // reduced from a band of rows
    ->Args({1, 100, 1})  // reduced from cell sums, rows bottom first
    ->Args({6, 100, 0})  // turned and reduced from cell sums
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// What the whole picture costs: kept, turned into a second block, reduced.
void BM_WholeTurnedAndReduced(benchmark::State& state) {
    const std::vector<uint8_t>& picture = Picture();
    std::vector<uint8_t> upright(picture.size());
    std::vector<uint8_t> out(100 * 133 * 3);
    for (auto _ : state) {
        std::vector<uint8_t> copy(picture);
        vig::processing::ApplyOrientation(copy.data(), kWidth, kHeight, 6, upright.data());
        vig::processing::ResampleBox(upright.data(), out.data(), kHeight, kWidth, 100, 133, true);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_WholeTurnedAndReduced)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
