#include "engine/report.h"

#include "engine/run_host.h"

namespace vig {

std::string FormatReport(const std::string& file, ErrorCode code, const std::string& context) {
    if (file.empty()) return "Error : " + ErrorText(code) + "\nContext : " + context;
    return "Error : " + ErrorText(code) + "\nFile : " + file + "\nContext : " + context;
}

std::string PaneText(const std::string& message) {
    std::string out;
    out.reserve(message.size() + 8);
    for (char c : message) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    out += "\r\n\r\n";
    return out;
}

bool ReportError(RunHost& host, bool silentOperation, const std::string& file, ErrorCode code,
                 const std::string& context, bool offerCancel, std::FILE* log) {
    const std::string message = FormatReport(file, code, context);
    if (log != nullptr) std::fprintf(log, "%s\n\n", message.c_str());
    if (!host.HasWindow()) {
        host.ReportWithoutWindow(message);
        return false;
    }
    host.AppendErrorLog(PaneText(message));
    if (silentOperation) {
        host.SetLogButtonBlinking(true);
        return false;
    }
    if (offerCancel)
        return host.ShowReport(message + "\nPress Cancel to stop this procedure", true);
    host.ShowReport(message, false);
    return false;
}

}  // namespace vig
