#include "shellext/snapshrink_command.h"

#include <QApplication>
#include <memory>

#include "common/busy_window.h"
#include "common/message_boxes.h"
#include "common/pictures.h"
#include "platform/qt_profile_store.h"
#include "shellext/module.h"
#include "shellext/program_run.h"
#include "shellext/quick_dialog.h"
#include "shellext/quick_settings.h"
#include "shellext/shell_texts.h"
#include "shellext/trace.h"

namespace vig::shell {
namespace {

// The host's application object, or one made for the command in a host
// that has none (the launcher).
std::unique_ptr<QApplication> EnsureApplication() {
    if (QApplication::instance() != nullptr) return nullptr;
    static int argc = 1;
    static char name[] = "vignettor";
    static char* argv[] = {name, nullptr};
    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setWindowIcon(ui::ApplicationIcon());
    return app;
}

}  // namespace

void RunSnapshrinkCommand(const std::vector<std::string>& selection, HWND owner) {
    const std::unique_ptr<QApplication> app = EnsureApplication();
    auto* window = static_cast<QWidget*>(owner);

    platform::QtProfileStore store;
    const std::string program = LocateProgram(store, ModuleFolder());
    if (program.empty()) {
        ui::Messages().Show(window, QString::fromUtf8(kAppTitle),
                            QString::fromUtf8(kProgramMissing), ui::MessageIcon::Critical,
                            ui::MessageButtons::Ok);
        return;
    }
    QuickSettings settings = ReadQuickSettings(store, selection);

    {
        CSnapshrinkDlg dialog(settings);
        if (dialog.exec() != QDialog::Accepted) return;
        settings = dialog.Values();
    }

    ui::ProgressWindow busy(window, ui::ProgressWindow::Kind::Extension);
    busy.show();
    busy.SetExtraText(QString());
    const int count = static_cast<int>(selection.size());
    int spared = 0;
    for (int i = 0; i < count; ++i) {
        busy.SetStatusText(QString::asprintf(kProcessingFormat, i + 1, count));
        const RunCommand command = CommandFor(settings, program, selection[static_cast<size_t>(i)]);
        Trace(command.Text().c_str());
        busy.SetPathText(QString::fromStdString(command.input));
        if (OutputReplacesSelection(command.output, selection)) {
            ++spared;
            continue;
        }
        bool cancelled = false;
        if (!RunProgramPumping(
                command.Arguments(), [&busy] { return busy.cancelFlag(); }, &cancelled) ||
            cancelled)
            break;
    }
    busy.hide();
    if (spared > 0)
        ui::Messages().Show(window, QString::fromUtf8(kAppTitle),
                            QString::asprintf(kSparedFormat, spared), ui::MessageIcon::Warning,
                            ui::MessageButtons::Ok);
}

}  // namespace vig::shell
