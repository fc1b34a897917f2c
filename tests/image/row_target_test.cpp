#include "image/row_target.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include "image/memory_budget.h"
#include "processing/resample.h"
#include "processing/rotation.h"

namespace vig {
namespace {

std::vector<uint8_t> Noise(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(static_cast<size_t>(w) * h * 3);
    for (uint8_t& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

// Feeds the stored picture through a target row by row in the given order.
std::vector<uint8_t> Feed(const std::vector<uint8_t>& stored, int w, int h, int orientation,
                          const std::vector<int>& order, const image::DecodePlan& plan, int* outW,
                          int* outH, bool* reduced) {
    image::RowTarget target;
    const bool inOrder =
        std::is_sorted(order.begin(), order.end()) && order.size() == static_cast<size_t>(h);
    EXPECT_EQ(target.Start(w, h, orientation, inOrder, plan, 0), image::ErrNone);
    for (int y : order) {
        std::copy_n(stored.data() + static_cast<size_t>(y) * w * 3, static_cast<size_t>(w) * 3,
                    target.Row(y));
        target.RowDone(y);
    }
    image::PixelBlock block = target.Finish(outW, outH);
    *reduced = target.reduced();
    return std::vector<uint8_t>(block.data(), block.data() + block.size());
}

// What holding the whole picture gives: turned upright, then box-reduced.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& stored, int w, int h, int orientation,
                              int rw, int rh) {
    std::vector<uint8_t> upright(stored.size());
    EXPECT_EQ(processing::ApplyOrientation(stored.data(), w, h, orientation, upright.data()), 0);
    if (rw == 0) return upright;
    const int uw = orientation >= 5 ? h : w;
    const int uh = orientation >= 5 ? w : h;
    std::vector<uint8_t> out(static_cast<size_t>(rw) * rh * 3);
    EXPECT_EQ(processing::ResampleBox(upright.data(), out.data(), uw, uh, rw, rh, true), 0);
    return out;
}

TEST(RowTargetTest, EveryWayGivesThePixelsOfTurningAndReducingTheWholePicture) {
    struct Case {
        int w, h, rw, rh;  // rw == 0: no reduction planned
    };
    const Case cases[] = {{37, 23, 0, 0},  {37, 23, 10, 6},  {64, 48, 7, 5},
                          {101, 13, 9, 3}, {50, 77, 50, 77}, {33, 90, 4, 11}};
    unsigned seed = 1;
    for (const Case& c : cases) {
        const std::vector<uint8_t> stored = Noise(c.w, c.h, seed++);
        std::vector<int> topDown(static_cast<size_t>(c.h));
        std::iota(topDown.begin(), topDown.end(), 0);
        std::vector<int> bottomUp(topDown.rbegin(), topDown.rend());
        std::vector<int> shuffled = topDown;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
        for (int o = 1; o <= 8; ++o) {
            const int uw = o >= 5 ? c.h : c.w;
            const int uh = o >= 5 ? c.w : c.h;
            // The plan is in upright terms; keep it a reduction.
            const int rw = c.rw == 0 ? 0 : std::min(c.rw, uw);
            const int rh = c.rw == 0 ? 0 : std::min(c.rh, uh);
            const std::vector<uint8_t> want = Expected(stored, c.w, c.h, o, rw, rh);
            for (const std::vector<int>* order : {&topDown, &bottomUp, &shuffled}) {
                SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " -> " << rw << "x" << rh
                                                << " orientation " << o << " order "
                                                << (order == &topDown    ? "top down"
                                                    : order == &bottomUp ? "bottom up"
                                                                         : "shuffled"));
                int ow = 0, oh = 0;
                bool reduced = false;
                const std::vector<uint8_t> got =
                    Feed(stored, c.w, c.h, o, *order, image::DecodePlan{0, 0, rw, rh}, &ow, &oh,
                         &reduced);
                EXPECT_EQ(ow, rw == 0 || !reduced ? uw : rw);
                if (reduced) {
                    EXPECT_EQ(got, want);
                } else if (rw == 0) {
                    EXPECT_EQ(got, want);
                } else {
                    // Kept whole (the sums would hold more): the caller reduces.
                    std::vector<uint8_t> out(static_cast<size_t>(rw) * rh * 3);
                    ASSERT_EQ(processing::ResampleBox(got.data(), out.data(), uw, uh, rw, rh, true),
                              0);
                    EXPECT_EQ(out, want);
                }
            }
        }
    }
}

TEST(RowTargetTest, ARowTransformChangesEveryRowOnceBeforeItIsTurnedOrReduced) {
    const int w = 24, h = 18;
    const std::vector<uint8_t> stored = Noise(w, h, 11);
    std::vector<uint8_t> inverted = stored;
    for (uint8_t& b : inverted) b = static_cast<uint8_t>(255 - b);
    std::vector<int> order(static_cast<size_t>(h));
    std::iota(order.begin(), order.end(), 0);
    for (int o : {1, 3, 6}) {
        for (const image::DecodePlan& plan : {image::DecodePlan{}, image::DecodePlan{0, 0, 5, 4}}) {
            image::RowTarget target;
            ASSERT_EQ(target.Start(w, h, o, true, plan, 0), image::ErrNone);
            int calls = 0;
            struct Context {
                int* calls;
            } context{&calls};
            target.SetRowTransform(
                [](void* c, uint8_t* row, int width) {
                    ++*static_cast<Context*>(c)->calls;
                    for (int i = 0; i < width * 3; ++i) row[i] = static_cast<uint8_t>(255 - row[i]);
                },
                &context);
            for (int y : order) {
                std::copy_n(stored.data() + static_cast<size_t>(y) * w * 3,
                            static_cast<size_t>(w) * 3, target.Row(y));
                target.RowDone(y);
            }
            int ow = 0, oh = 0;
            image::PixelBlock block = target.Finish(&ow, &oh);
            const std::vector<uint8_t> got(block.data(), block.data() + block.size());
            const int uw = o >= 5 ? h : w, uh = o >= 5 ? w : h;
            std::vector<uint8_t> want = Expected(inverted, w, h, o, 0, 0);
            if (plan.reduceWidth > 0) {
                const std::vector<uint8_t> upright = want;
                want.assign(static_cast<size_t>(plan.reduceWidth) * plan.reduceHeight * 3, 0);
                ASSERT_EQ(processing::ResampleBox(upright.data(), want.data(), uw, uh,
                                                  plan.reduceWidth, plan.reduceHeight, true),
                          0);
            }
            EXPECT_EQ(calls, h) << "orientation " << o;
            EXPECT_EQ(got, want) << "orientation " << o << " reduce " << plan.reduceWidth;
        }
    }
}

// A reader that gives a picture up part way (an embedded preview found
// damaged) starts the target again for another: every way after every way
// gives what a fresh target gives, without the first picture's rows or
// size.
TEST(RowTargetTest, StartingAgainGivesWhatAFreshTargetGives) {
    const struct {
        const char* way;
        int w, h, orientation;
        image::DecodePlan plan;
    } ways[] = {
        {"whole", 30, 20, 1, {}},
        {"turned", 24, 36, 6, {}},
        {"streamed reduction", 40, 30, 1, {0, 0, 8, 6}},
        {"summed reduction", 48, 32, 8, {0, 0, 4, 6}},
    };
    for (const auto& first : ways) {
        for (const auto& second : ways) {
            SCOPED_TRACE(testing::Message() << first.way << ", then " << second.way);
            image::RowTarget target;
            ASSERT_EQ(target.Start(first.w, first.h, first.orientation, true, first.plan, 0),
                      image::ErrNone);
            for (int y = 0; y < first.h / 2; ++y) {
                std::fill_n(target.Row(y), first.w * 3, uint8_t{99});
                target.RowDone(y);
            }
            const std::vector<uint8_t> stored = Noise(second.w, second.h, 5);
            ASSERT_EQ(target.Start(second.w, second.h, second.orientation, true, second.plan, 0),
                      image::ErrNone);
            for (int y = 0; y < second.h; ++y) {
                std::copy_n(stored.data() + size_t(y) * second.w * 3, size_t(second.w) * 3,
                            target.Row(y));
                target.RowDone(y);
            }
            int ow = 0, oh = 0, fw = 0, fh = 0;
            const image::PixelBlock block = target.Finish(&ow, &oh);
            std::vector<int> order(size_t(second.h));
            std::iota(order.begin(), order.end(), 0);
            bool reduced = false;
            const std::vector<uint8_t> fresh = Feed(stored, second.w, second.h, second.orientation,
                                                    order, second.plan, &fw, &fh, &reduced);
            EXPECT_EQ(target.reduced(), reduced);
            EXPECT_EQ(std::make_pair(ow, oh), std::make_pair(fw, fh));
            ASSERT_EQ(block.size(), size_t(ow) * size_t(oh) * 3);
            EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), block.data()));
        }
    }
}

TEST(RowTargetTest, RowsNeverDeliveredAreZeroRows) {
    const int w = 40, h = 30;
    std::vector<uint8_t> stored = Noise(w, h, 7);
    std::vector<int> firstHalf(15);
    std::iota(firstHalf.begin(), firstHalf.end(), 0);
    std::fill(stored.begin() + static_cast<ptrdiff_t>(15 * w * 3), stored.end(), 0);
    for (int o : {1, 6}) {
        for (const image::DecodePlan& plan : {image::DecodePlan{}, image::DecodePlan{0, 0, 4, 3}}) {
            int ow = 0, oh = 0;
            bool reduced = false;
            const std::vector<uint8_t> got =
                Feed(stored, w, h, o, firstHalf, plan, &ow, &oh, &reduced);
            EXPECT_EQ(got, Expected(stored, w, h, o, plan.reduceWidth, plan.reduceHeight))
                << "orientation " << o << " reduce " << plan.reduceWidth;
        }
    }
}

TEST(MemoryBudgetTest, AFileWaitsForOthersAndOneLargerThanTheBudgetFails) {
    image::MemoryBudget budget(1000);
    std::atomic<int> stage{0};
    std::thread first([&] {
        image::SetThreadMemoryBudget(&budget);
        image::FileMemoryScope scope;
        EXPECT_EQ(image::ReserveFileMemory(700), image::ErrNone);
        stage = 1;
        while (stage < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stage = 3;  // gives its memory back as the scope ends
    });
    while (stage < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    image::SetThreadMemoryBudget(&budget);
    {
        image::FileMemoryScope scope;
        EXPECT_EQ(image::ReserveFileMemory(1001), image::ErrOutOfMemory);  // never fits
        stage = 2;
        EXPECT_EQ(image::ReserveFileMemory(400),
                  image::ErrNone);  // fits once the first has finished
        EXPECT_EQ(stage.load(), 3);
        EXPECT_EQ(image::ReserveFileMemory(900), image::ErrNone);  // a holder never waits
        EXPECT_EQ(image::FileMemoryHeld(), 1300u);
    }
    first.join();
    EXPECT_EQ(budget.used(), 0u);
    EXPECT_LE(budget.peak(), 1300u);
    {
        // Alone, a file may have the whole budget at once, but no more.
        image::FileMemoryScope scope(true);
        ASSERT_TRUE(scope.ok());
        EXPECT_EQ(image::ReserveFileMemory(1001), image::ErrOutOfMemory);
        EXPECT_EQ(image::ReserveFileMemory(1000), image::ErrNone);
    }
    EXPECT_EQ(budget.used(), 0u);
    image::SetThreadMemoryBudget(nullptr);
}

}  // namespace
}  // namespace vig
