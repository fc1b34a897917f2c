// Operations of the options record.
#include <algorithm>

#include "options/batch_options.h"
#include "platform/system.h"

namespace vig::options {

int BatchOptions::ThreadCount() const {
    if (OpsThreads > 0) return std::min(OpsThreads, kMaxThreads);
    return std::clamp(platform::ProcessorCount(), 1, kMaxThreads);
}

}  // namespace vig::options
