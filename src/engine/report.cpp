#include "engine/report.h"

#include "engine/engine_texts.h"
#include "engine/run_host.h"
#include "platform/translation.h"

namespace vig::engine {

std::string FormatReport(const std::string& file, image::ErrorCode code,
                         const std::string& context) {
    if (file.empty()) return FillIn(texts::kReportFormat, {image::ErrorText(code), context});
    return FillIn(texts::kReportFileFormat, {image::ErrorText(code), file, context});
}

std::string ShownReport(const std::string& file, image::ErrorCode code,
                        const std::string& context) {
    const std::string error = Translate(image::kErrorTextContext, image::ErrorText(code).c_str());
    const std::string where = texts::Tr(context.c_str());
    if (file.empty()) return FillIn(texts::Tr(texts::kReportFormat), {error, where});
    return FillIn(texts::Tr(texts::kReportFileFormat), {error, file, where});
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

bool ReportError(RunHost& host, bool silentOperation, const std::string& file,
                 image::ErrorCode code, const std::string& context, bool offerCancel,
                 std::FILE* log) {
    if (log != nullptr) std::fprintf(log, "%s\n\n", FormatReport(file, code, context).c_str());
    const std::string message = ShownReport(file, code, context);
    if (!host.HasWindow()) {
        host.ReportWithoutWindow(message);
        return false;
    }
    host.AppendErrorLog(PaneText(message));
    if (silentOperation) {
        host.SetLogButtonBlinking(true);
        return false;
    }
    if (offerCancel) return host.ShowReport(message + "\n" + texts::Tr(texts::kPressCancel), true);
    host.ShowReport(message, false);
    return false;
}

}  // namespace vig::engine
