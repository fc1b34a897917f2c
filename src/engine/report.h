// The one place where a failure reaches the user.
#pragma once

#include <cstdio>
#include <string>

#include "image/error_codes.h"

namespace vig::engine {

class RunHost;

// "Error : %s\nFile : %s\nContext : %s", or without the file line when file
// is empty.
std::string FormatReport(const std::string& file, image::ErrorCode code,
                         const std::string& context);

// The same report in the user's language, as the window and the terminal
// show it (the log keeps FormatReport's English).
std::string ShownReport(const std::string& file, image::ErrorCode code, const std::string& context);

// The report as the error log pane shows it: every LF preceded by CR, and
// "\r\n\r\n" appended.
std::string PaneText(const std::string& message);

// Writes the report to the log (when given), then, in the user's language: without a window hands
// it to the host's ReportWithoutWindow and returns false; with a window appends it to the error
// pane, and in silent operation starts the log button blinking, otherwise shows a message box (with
// Cancel when offerCancel). True when the user chose Cancel.
bool ReportError(RunHost& host, bool silentOperation, const std::string& file,
                 image::ErrorCode code, const std::string& context, bool offerCancel,
                 std::FILE* log);

}  // namespace vig::engine
