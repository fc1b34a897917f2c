#include "engine/headless_host.h"

#include <csignal>

namespace vig {
namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnStopSignal(int) {
    gStop = 1;
}

}  // namespace

bool HeadlessHost::StopRequested() const {
    return gStop != 0;
}

void HeadlessHost::ReportWithoutWindow(const std::string& message) {
    ++reports_;
    if (errors_ != nullptr) {
        std::fprintf(errors_, "%s\n\n", message.c_str());
        std::fflush(errors_);
    }
}

void HeadlessHost::InstallStopSignals() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

}  // namespace vig
