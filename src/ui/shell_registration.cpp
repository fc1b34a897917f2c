#include "ui/shell_registration.h"

#include <dlfcn.h>

#include <QFileInfo>
#include <cstdint>

#include "platform/install_layout.h"
#include "platform/system.h"
#include "ui/sheet_texts.h"
#include "widgets/message_boxes.h"

namespace vig::ui {
namespace {

// The self-registration entries answer 0 for success.
using RegistrationEntry = int32_t (*)();

void Fail(QWidget* parent, const char* text, const QString& caption) {
    widgets::Messages().Show(
        parent, caption, texts::Tr(text).arg(QString::fromLatin1(texts::kShellLibrary), caption),
        widgets::MessageIcon::Critical, widgets::MessageButtons::Ok);
}

}  // namespace

QString ProgramFolder() {
    const QString program = QString::fromStdString(platform::ProgramPath());
    return program.isEmpty() ? QString() : QFileInfo(program).absolutePath();
}

bool RegisterShellExtension(QWidget* parent, const QString& folder, bool enable) {
    const QString caption =
        texts::Tr(enable ? texts::kShellEnableCaption : texts::kShellDisableCaption);
    const std::string library = platform::FindFileIn(platform::LibraryFolders(folder.toStdString()),
                                                     platform::kShellLibraryFileName);
    if (library.empty()) {
        Fail(parent, texts::kCantFind, caption);
        return false;
    }
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        Fail(parent, texts::kLoadLibraryFailed, caption);
        return false;
    }
    const auto entry = reinterpret_cast<RegistrationEntry>(
        dlsym(handle, enable ? texts::kRegisterEntry : texts::kUnregisterEntry));
    if (entry == nullptr) {
        dlclose(handle);
        Fail(parent, texts::kGetProcAddressFailed, caption);
        return false;
    }
    const bool ok = entry() == 0;
    dlclose(handle);
    const QString text = texts::Tr(ok ? texts::kShellSucceeded : texts::kShellFailed);
    widgets::Messages().Show(parent, caption, text.arg(caption), widgets::MessageIcon::None,
                             widgets::MessageButtons::Ok);
    return ok;
}

}  // namespace vig::ui
