#include "shellext/library/snapshrink_command.h"

#include <QApplication>
#include <functional>
#include <memory>

#include "engine/engine_texts.h"
#include "options/enums.h"
#include "platform/files.h"
#include "platform/install_layout.h"
#include "platform/paths.h"
#include "platform/qt_profile_store.h"
#include "platform/translation.h"
#include "shellext/library/module.h"
#include "shellext/library/program_run.h"
#include "shellext/library/quick_dialog.h"
#include "shellext/library/quick_settings.h"
#include "shellext/library/trace.h"
#include "shellext/shared/shell_texts.h"
#include "widgets/busy_window.h"
#include "widgets/message_boxes.h"
#include "widgets/pictures.h"
#include "widgets/translations.h"

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
    QApplication::setWindowIcon(widgets::ApplicationIcon());
    return app;
}

// Takes the lock of an output folder, waiting while another run holds it
// with the wait named in the busy window; false when Cancel ended the wait.
// A folder that cannot be locked (a file system without locks, or a folder
// not there) is used without.
bool TakeFolderTurn(platform::FolderLock& lock, const std::string& folder,
                    widgets::ProgressWindow& busy, const std::function<bool()>& cancelRequested) {
    bool told = false;
    const bool taken = WaitPumping(
        [&] {
            if (lock.TryLock(folder) != platform::FolderLock::Result::Busy) return true;
            if (!told)
                busy.SetExtraText(QString::fromStdString(
                    engine::texts::WaitingForFolder(paths::StripTrailingSeparator(folder))));
            told = true;
            return false;
        },
        cancelRequested);
    if (told) busy.SetExtraText(QString());
    return taken;
}

}  // namespace

void RunSnapshrinkCommand(const std::vector<std::string>& selection, HWND owner) {
    const std::unique_ptr<QApplication> app = EnsureApplication();
    // The user's language, from the catalogues of the installation the
    // library belongs to.
    std::vector<std::string> catalogueFolders;
    for (const std::string& folder : platform::ProgramFolders(ModuleFolder()))
        for (const std::string& f : platform::TranslationFolders(folder))
            catalogueFolders.push_back(f);
    LoadCatalogues(catalogueFolders);
    auto* window = static_cast<QWidget*>(owner);

    platform::QtProfileStore store;
    const std::string program = LocateProgram(store, ModuleFolder());
    if (program.empty()) {
        widgets::Messages().Show(window, QString::fromUtf8(kMessageCaption),
                                 widgets::Translated("vig::shell", kProgramMissing),
                                 widgets::MessageIcon::Critical, widgets::MessageButtons::Ok);
        return;
    }
    QuickSettings settings = ReadQuickSettings(store, selection);

    {
        CSnapshrinkDlg dialog(settings);
        if (dialog.exec() != QDialog::Accepted) return;
        settings = dialog.Values();
    }

    widgets::ProgressWindow busy(window, widgets::ProgressWindow::Kind::Extension);
    busy.show();
    busy.SetExtraText(QString());
    const int count = static_cast<int>(selection.size());
    int spared = 0;
    const auto cancelRequested = [&busy] { return busy.cancelFlag(); };
    for (int i = 0; i < count; ++i) {
        busy.SetStatusText(widgets::Translated("vig::shell", kProcessingFormat).arg(i + 1).arg(count));
        const std::string& input = selection[static_cast<size_t>(i)];
        RunCommand command = CommandFor(settings, program, input);
        busy.SetPathText(QString::fromStdString(command.input));
        // A numbered name is the next one free in the folder: it is chosen
        // and its file made while this command holds the folder's lock, the
        // one batch runs hold, so that runs into the folder take turns and
        // none takes a name another is about to write. The program is
        // handed the lock and keeps it to its end; it takes no lock itself.
        platform::FolderLock lock;
        if (settings.renameStyle == options::AutoNumericSuffix) {
            if (!TakeFolderTurn(lock, paths::Directory(command.output), busy, cancelRequested))
                break;
            command = CommandFor(settings, program, input);
        }
        Trace(command.Text().c_str());
        if (OutputReplacesSelection(command.output, selection)) {
            ++spared;
            continue;
        }
        bool cancelled = false;
        if (!RunProgramPumping(command.Arguments(), cancelRequested, &cancelled, lock.fd()) ||
            cancelled)
            break;
    }
    busy.hide();
    if (spared > 0)
        widgets::Messages().Show(window, QString::fromUtf8(kMessageCaption),
                                 widgets::Translated("vig::shell", kSparedFormat).arg(spared),
                                 widgets::MessageIcon::Warning, widgets::MessageButtons::Ok);
}

}  // namespace vig::shell
