// The host of a headless run: no window, every report on stderr.
#pragma once

#include <cstdio>

#include "engine/run_host.h"

namespace vig {

class HeadlessHost final : public RunHost {
public:
    explicit HeadlessHost(std::FILE* errors = stderr) : errors_(errors) {}

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

    int reportCount() const { return reports_; }

    // Ctrl-C (SIGINT) and SIGTERM become a stop request, so a run ends
    // cleanly: the file being read is dropped, one being saved is finished,
    // and the pages are closed.
    static void InstallStopSignals();
    // The signal that asked for the stop, 0 when none did.
    static int StopSignal();

private:
    std::FILE* errors_;
    int reports_ = 0;
};

}  // namespace vig
