// Small helpers the engine's modules share.
#pragma once

#include <string>

#include "engine/run_host.h"
#include "options/enums.h"

namespace vig::engine {

// A status text pumps the messages, so that the window shows it at once.
inline void ShowStepText(RunHost& host, const std::string& text) {
    host.SetStepText(text);
    host.PumpMessages(kStatusPumpMilliseconds);
}

inline void ShowDetailText(RunHost& host, const std::string& text) {
    host.SetDetailText(text);
    host.PumpMessages(kStatusPumpMilliseconds);
}

}  // namespace vig::engine
