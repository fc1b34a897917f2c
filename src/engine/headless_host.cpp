#include "engine/headless_host.h"

#include <csignal>

namespace vig {
namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnStopSignal(int signal) {
    if (gStop == 0) gStop = signal;
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

void HeadlessHost::Notice(const std::string& text) {
    if (errors_ != nullptr) {
        std::fprintf(errors_, "vignettor: %s\n", text.c_str());
        std::fflush(errors_);
    }
}

int HeadlessHost::StopSignal() {
    return static_cast<int>(gStop);
}

void HeadlessHost::InstallStopSignals() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
}

}  // namespace vig
