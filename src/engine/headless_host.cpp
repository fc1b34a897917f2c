#include "engine/headless_host.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>

#include "engine/engine_texts.h"

namespace vig::engine {
namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void OnStopSignal(int signal) {
    if (gStop == 0) gStop = signal;
}

}  // namespace

HeadlessHost::HeadlessHost(std::FILE* errors)
    : errors_(errors), terminal_(errors != nullptr && isatty(fileno(errors)) == 1) {}

HeadlessHost::~HeadlessHost() {
    ClearProgress();
}

void HeadlessHost::ClearProgress() {
    if (!lineShown_) return;
    std::fputs("\r\033[K", errors_);
    std::fflush(errors_);
    lineShown_ = false;
}

void HeadlessHost::RunProgress(int done, int total, const std::string& current) {
    if (!terminal_) return;
    if (current.empty()) {
        ClearProgress();
        return;
    }
    const Clock::time_point now = Clock::now();
    if (!started_) {
        started_ = true;
        start_ = now;
    } else if (done == lastDone_ || now - drawn_ < std::chrono::milliseconds(100)) {
        return;  // a terminal needs no more than ten lines a second
    }
    lastDone_ = done;
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = done > 0 && seconds > 0 ? done / seconds : 0;
    winsize size{};
    int columns = 80;
    if (ioctl(fileno(errors_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) columns = size.ws_col;
    const std::string line = texts::ProgressLine(
        done, total, current, rate, static_cast<size_t>(columns > 1 ? columns - 1 : 1));
    std::fprintf(errors_, "\r%s\033[K", line.c_str());
    std::fflush(errors_);
    lineShown_ = true;
}

bool HeadlessHost::StopRequested() const {
    return gStop != 0;
}

void HeadlessHost::ReportWithoutWindow(const std::string& message) {
    ++reports_;
    ClearProgress();
    if (errors_ != nullptr) {
        // Names in a report may hold anything a file name can; a terminal
        // gets them escaped, a file or pipe gets them as they are.
        const std::string shown = terminal_ ? texts::ForTerminal(message, true) : message;
        std::fprintf(errors_, "%s\n\n", shown.c_str());
        std::fflush(errors_);
    }
}

void HeadlessHost::Notice(const std::string& text) {
    ClearProgress();
    if (errors_ != nullptr) {
        const std::string shown = terminal_ ? texts::ForTerminal(text) : text;
        std::fprintf(errors_, "vignettor: %s\n", shown.c_str());
        std::fflush(errors_);
    }
}

int HeadlessHost::StopSignal() {
    return static_cast<int>(gStop);
}

void HeadlessHost::InstallStopSignals() {
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    // A hang-up ignored on purpose (nohup) stays ignored.
    struct sigaction hangUp {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN)
        std::signal(SIGHUP, OnStopSignal);
}

}  // namespace vig::engine
