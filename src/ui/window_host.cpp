#include "ui/window_host.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

#include "engine/app_info.h"
#include "engine/report.h"
#include "ui/main_window.h"
#include "widgets/message_boxes.h"

namespace vig::ui {
namespace {

// Texts of the engine name files by their bytes on disk.
QString Decode(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

// A box during a run shows the normal cursor over the wait cursor.
widgets::MessageAnswer Ask(QWidget* parent, const std::string& text,
                           widgets::MessageButtons buttons) {
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const widgets::MessageAnswer answer =
        widgets::Messages().Show(parent, QString::fromStdString(engine::ApplicationTitle()),
                                 Decode(text), widgets::MessageIcon::Warning, buttons);
    QApplication::restoreOverrideCursor();
    return answer;
}

}  // namespace

void WindowHost::SetStepText(const std::string& text) {
    window_.SetStatusLine(Decode(text));
}

void WindowHost::SetDetailText(const std::string& text) {
    window_.SetPathLine(Decode(text));
}

void WindowHost::SetProgressText(const std::string& text) {
    window_.SetBusyText(Decode(text));
}

bool WindowHost::StopRequested() const {
    return window_.stopRequested();
}

void WindowHost::PumpMessages(int maxMilliseconds) {
    window_.PumpMessages(maxMilliseconds);
}

bool WindowHost::AskYesNo(const std::string& text) {
    return Ask(&window_, text, widgets::MessageButtons::YesNo) == widgets::MessageAnswer::Yes;
}

bool WindowHost::ShowReport(const std::string& text, bool offerCancel) {
    return Ask(&window_, text,
               offerCancel ? widgets::MessageButtons::OkCancel : widgets::MessageButtons::Ok) ==
           widgets::MessageAnswer::Cancel;
}

// Only reports come here: each is one error of the run.
void WindowHost::AppendErrorLog(const std::string& text) {
    window_.NoteError();
    window_.AppendErrorLog(Decode(text));
}

void WindowHost::SetLogButtonBlinking(bool on) {
    window_.SetLogButtonBlinking(on);
}

void WindowHost::Warning(const std::string& text) {
    window_.AppendErrorLog(Decode(engine::PaneText(text)));
    SetLogButtonBlinking(true);
}

void WindowHost::RunProgress(int done, int total, const std::string& /*current*/) {
    window_.SetRunProgress(done, total);
}

void WindowHost::ReportWithoutWindow(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace vig::ui
