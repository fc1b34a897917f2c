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

    int reportCount() const { return reports_; }

    // Ctrl-C (SIGINT) and SIGTERM become a stop request, so a run ends
    // cleanly: the current file is not saved and the pages are closed.
    static void InstallStopSignals();

private:
    std::FILE* errors_;
    int reports_ = 0;
};

}  // namespace vig
