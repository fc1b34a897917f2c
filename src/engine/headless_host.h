// The host of a headless run: no window, every report on stderr. When that
// is a terminal, a batch run keeps one line there up to date: files done
// of the total, the current file, files per second and the time left; the
// names on it, in reports and in notices are then shown with their control
// characters escaped (texts::ForTerminal), so that no name drives the
// terminal.
#pragma once

#include <chrono>
#include <cstdio>

#include "engine/run_host.h"

namespace vig::engine {

class HeadlessHost final : public RunHost {
public:
    explicit HeadlessHost(std::FILE* errors = stderr);
    ~HeadlessHost() override;

    bool HasWindow() const override { return false; }
    void SetStepText(const std::string&) override {}
    void SetDetailText(const std::string&) override {}
    void SetProgressText(const std::string&) override {}
    bool StopRequested() const override;
    void PumpMessages(int) override {}
    bool AskYesNo(const std::string&) override { return false; }
    bool ShowReport(const std::string&, bool) override { return false; }
    void AppendErrorLog(const std::string&) override {}
    void SetLogButtonBlinking(bool) override {}
    void ReportWithoutWindow(const std::string& message) override;
    void Notice(const std::string& text) override;
    void RunProgress(int done, int total, const std::string& current) override;

    int reportCount() const { return reports_; }

    // Ctrl-C (SIGINT), SIGTERM and a hang-up (SIGHUP, the terminal closed;
    // unless it is ignored, as under nohup) become a stop request, so a run
    // ends cleanly: the file being read is dropped, one being saved is
    // finished, and the pages and the log are closed.
    static void InstallStopSignals();
    // The signal that asked for the stop, 0 when none did.
    static int StopSignal();

private:
    using Clock = std::chrono::steady_clock;
    // Takes the progress line off the terminal, so a message stands alone.
    void ClearProgress();

    std::FILE* errors_;
    int reports_ = 0;
    bool terminal_ = false;   // errors_ is a terminal: progress is shown
    bool lineShown_ = false;  // a progress line stands on it now
    bool started_ = false;
    Clock::time_point start_{};  // of the run's first file
    Clock::time_point drawn_{};  // when the line was last drawn
    int lastDone_ = -1;
};

}  // namespace vig::engine
