// What a batch or single-file run needs from whoever started it: the window
// in interactive use, a console host when headless, a recording fake in
// tests. The engine never talks to a window in any other way.
#pragma once

#include <string>

namespace vig::engine {

// Every status-text change pumps for at most this long.
inline constexpr int kStatusPumpMilliseconds = 200;

class RunHost {
public:
    virtual ~RunHost() = default;
    // False when headless: no questions, no message boxes, no error pane.
    virtual bool HasWindow() const = 0;
    virtual void SetStepText(const std::string& text) = 0;      // status line
    virtual void SetDetailText(const std::string& text) = 0;    // path line
    virtual void SetProgressText(const std::string& text) = 0;  // busy window line
    virtual bool StopRequested() const = 0;
    // Dispatches pending window messages for at most maxMilliseconds.
    virtual void PumpMessages(int maxMilliseconds) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
    // A message box with OK, or OK and Cancel; true when Cancel was chosen.
    virtual bool ShowReport(const std::string& text, bool offerCancel) = 0;
    // Appends to the error log pane (text already in CR LF form).
    virtual void AppendErrorLog(const std::string& text) = 0;
    virtual void SetLogButtonBlinking(bool on) = 0;
    // A report made while there is no window (headless): nobody is asked.
    virtual void ReportWithoutWindow(const std::string& message) = 0;
    // A passing notice that is no failure (the run waits for another one,
    // say): the status line, unless the host has a better place for it.
    virtual void Notice(const std::string& text) { SetStepText(text); }
    // Something the user should know of a file that was still made (its
    // colour profile was ignored): no report, so it does not make a
    // headless run end with status 1. A notice, unless the host has a
    // better place for it.
    virtual void Warning(const std::string& text) { Notice(text); }
    // Where a batch run stands: `done` of `total` files finished, `current`
    // the one it is at ("" once the loop has ended). For a display of the
    // host's own; a window shows the busy window's line instead.
    virtual void RunProgress(int done, int total, const std::string& current) {
        (void)done, (void)total, (void)current;
    }
};

}  // namespace vig::engine
