// The plan, shard and merge steps of a batch run over several machines.
#include "engine/batch_engine.h"

namespace vig {

BatchSummary BatchEngine::PlanRun() {
    BatchSummary summary;
    summary.problem = "the plan step is not available in this build yet";
    return summary;
}

BatchSummary BatchEngine::ShardRun(int, int) {
    BatchSummary summary;
    summary.problem = "the shard step is not available in this build yet";
    return summary;
}

BatchSummary BatchEngine::MergeRun() {
    BatchSummary summary;
    summary.problem = "the merge step is not available in this build yet";
    return summary;
}

}  // namespace vig
