// A RunHost that records everything the engine tells it, for tests.
#pragma once

#include <string>
#include <vector>

#include "engine/run_host.h"

namespace vig::test {

class RecordingHost : public engine::RunHost {
public:
    explicit RecordingHost(bool hasWindow = true) : hasWindow_(hasWindow) {}

    bool HasWindow() const override { return hasWindow_; }
    void SetStepText(const std::string& t) override { events.push_back("step:" + t); steps.push_back(t); }
    void SetDetailText(const std::string& t) override { events.push_back("detail:" + t); details.push_back(t); }
    void SetProgressText(const std::string& t) override { events.push_back("progress:" + t); progress.push_back(t); }
    bool StopRequested() const override { return stop; }
    void PumpMessages(int ms) override { ++pumps; lastPumpMs = ms; if (onPump) onPump(*this); }
    bool AskYesNo(const std::string& t) override { questions.push_back(t); return answerYes; }
    bool ShowReport(const std::string& t, bool offerCancel) override {
        reports.push_back(t);
        cancelOffered.push_back(offerCancel);
        return offerCancel && answerCancel;
    }
    void AppendErrorLog(const std::string& t) override { pane += t; }
    void SetLogButtonBlinking(bool on) override { blinking = on; }
    void ReportWithoutWindow(const std::string& m) override { silentReports.push_back(m); }
    void Warning(const std::string& t) override { events.push_back("warning:" + t); warnings.push_back(t); }

    // Answers and state the test sets.
    bool hasWindow_;
    bool stop = false;
    bool answerYes = true;
    bool answerCancel = false;
    void (*onPump)(RecordingHost&) = nullptr;

    // What was recorded.
    std::vector<std::string> events, steps, details, progress, questions, reports, silentReports,
        warnings;
    std::vector<bool> cancelOffered;
    std::string pane;
    bool blinking = false;
    int pumps = 0;
    int lastPumpMs = 0;
};

}  // namespace vig::test
