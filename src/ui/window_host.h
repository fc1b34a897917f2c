// The main window as the host of a run: step and detail texts go to the
// status and path lines, progress to the busy window, questions and reports
// to message boxes with the application title, and reports to the log pane.
#pragma once

#include "engine/run_host.h"

namespace vig::ui {

class MainWindow;

class WindowHost final : public engine::RunHost {
public:
    explicit WindowHost(MainWindow& window) : window_(window) {}

    bool HasWindow() const override { return true; }
    void SetStepText(const std::string& text) override;
    void SetDetailText(const std::string& text) override;
    void SetProgressText(const std::string& text) override;
    bool StopRequested() const override;
    void PumpMessages(int maxMilliseconds) override;
    bool AskYesNo(const std::string& text) override;
    bool ShowReport(const std::string& text, bool offerCancel) override;
    void AppendErrorLog(const std::string& text) override;
    void SetLogButtonBlinking(bool on) override;
    void ReportWithoutWindow(const std::string& message) override;
    void RunProgress(int done, int total, const std::string& current) override;
    // In the error log pane, the log button blinking; no box.
    void Warning(const std::string& text) override;

private:
    MainWindow& window_;
};

}  // namespace vig::ui
