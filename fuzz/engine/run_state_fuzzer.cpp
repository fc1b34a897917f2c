// Feeds arbitrary bytes to the plan and shard-record readers: each must
// accept them or name a problem, never crash or read memory it does not
// own. A plan it accepts must read the same once written again, and every
// escaped text must read back as it was.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/run_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vig::engine::runstate::Plan plan;
    std::string problem;
    if (vig::engine::runstate::ParsePlan(text, &plan, &problem)) {
        vig::engine::runstate::Plan again;
        if (!vig::engine::runstate::ParsePlan(vig::engine::runstate::PlanText(plan), &again,
                                              &problem) ||
            again.id != plan.id || again.settings != plan.settings || again.files != plan.files)
            std::abort();
    } else if (problem.empty()) {
        std::abort();
    }
    problem.clear();
    if (!vig::engine::runstate::CheckRecordText(text, &problem) && problem.empty()) std::abort();

    std::string back;
    if (!vig::engine::runstate::Unescape(vig::engine::runstate::Escape(text), &back) ||
        back != text)
        std::abort();
    return 0;
}
