// Every text the context-menu extension shows, writes or traces. What the
// user reads is in the user's language (Tr); what other programs read (the
// menu entries written for the file managers, the registration rows, the
// command line, the trace) stays as it is.
#pragma once

#include <string>

#include "platform/translation.h"

namespace vig::shell {

// A text of this file as the user reads it.
inline std::string Tr(const char* text) {
    return Translate("vig::shell", text);
}

// The application title of the extension: the program's base name.
inline constexpr const char* kAppTitle = "vignettor";
// The caption of the command's message boxes: the program's name.
inline constexpr const char* kMessageCaption = "Vignettor";

inline constexpr const char* kMenuText = "&Snapshrink...";
inline constexpr const char* kMenuEntryLabel = "Snapshrink...";
inline constexpr const char* kMenuHelpText = "Create image thumbnail using Vignettor";
// The icon of the menu entries: the application's, by its theme name.
inline constexpr const char* kMenuIconName = "vignettor";
// What the file managers' scripts say when no picture is among the files.
inline constexpr const char* kNoPicturesSelected =
    "None of the selected files is a picture that Vignettor reads, so Snapshrink has nothing "
    "to make thumbnails of.";
inline constexpr const char* kMenuVerb = "VigVig";

// Registration.
inline constexpr const char* kServerName = "Vignettor";
inline constexpr const char* kClsidKey = "CLSID/%s";
inline constexpr const char* kInProcServerKey = "CLSID/%s/InProcServer32";
inline constexpr const char* kHandlerKey = "*/shellex/ContextMenuHandlers/Vignettor";
inline constexpr const char* kThreadingModelName = "ThreadingModel";
inline constexpr const char* kThreadingModel = "Apartment";
// The store's path, the count of lines skipped, the first.
inline constexpr const char* kSkippedLinesFormat = QT_TRANSLATE_NOOP(
    "vig::shell", "warning: %1: skipped %2 damaged line(s), the first is line %3");

// The command.
inline constexpr const char* kProgramFileName = "vignettor";
inline constexpr const char* kLauncherFileName = "vigshell";
inline constexpr const char* kProgramMissing = QT_TRANSLATE_NOOP(
    "vig::shell", "Unable to find Vignettor\nPlease run the main Vignettor program.");
inline constexpr const char* kCommandLineFormat = "%s /h /f %s %s %s /r %d /o %d /s %d %d %s";
inline constexpr const char* kEnlargeText = " /n ";
inline constexpr const char* kResetText = "/x";
inline constexpr const char* kProcessingFormat =
    QT_TRANSLATE_NOOP("vig::shell", "Processing file %1 of %2");
inline constexpr const char* kSparedFormat = QT_TRANSLATE_NOOP(
    "vig::shell",
    "%1 file(s) not processed: the thumbnail would have replaced a selected file.\n"
    "Choose another output folder, naming style or output format.");

// The launcher.
inline constexpr const char* kLauncherUsage = QT_TRANSLATE_NOOP(
    "vig::shell",
    "usage: vigshell [--] FILE... make thumbnails of the files through the quick dialog\n"
    "       vigshell --register   add \"Snapshrink...\" to the file managers' menus\n"
    "       vigshell --unregister remove it again\n");
inline constexpr const char* kUnknownOptionFormat = QT_TRANSLATE_NOOP(
    "vig::shell", "unknown option \"%1\" (file names that begin with '-' go after \"--\")");
inline constexpr const char* kLibraryMissing = QT_TRANSLATE_NOOP(
    "vig::shell",
    "cannot find libvigshell.so beside the launcher or in its installation's library folder");
inline constexpr const char* kNoDisplay = QT_TRANSLATE_NOOP(
    "vig::shell",
    "no display to show the quick dialog on; \"vignettor /h /f IN OUT\" makes a thumbnail "
    "without one");

// The quick dialog (the size labels carry their mnemonics).
inline constexpr const char* kDialogTitle = "Vignettor Snapshrink";
inline constexpr const char* kChooseFolderTitle =
    QT_TRANSLATE_NOOP("vig::shell", "Choose an output directory");
inline constexpr const char* kEnterInteger =
    QT_TRANSLATE_NOOP("vig::shell", "Please enter an integer.");
inline constexpr const char* kWidthLabel = QT_TRANSLATE_NOOP("vig::shell", "&Width");
inline constexpr const char* kHeightLabel = QT_TRANSLATE_NOOP("vig::shell", "Hei&ght");
inline constexpr const char* kAreaLabel = QT_TRANSLATE_NOOP("vig::shell", "&Area");
inline constexpr const char* kPercentLabel = QT_TRANSLATE_NOOP("vig::shell", "P&ercent");

// Trace lines.
namespace trace {
inline constexpr const char* kCanUnloadNow = "In DLLCanUnloadNow";
inline constexpr const char* kGetClassObject = "In DllGetClassObject";
inline constexpr const char* kFactoryCreated = "CShellExtClassFactory::CShellExtClassFactory()";
inline constexpr const char* kFactoryQueryInterface = "CShellExtClassFactory::QueryInterface()";
inline constexpr const char* kFactoryCreateInstance = "CShellExtClassFactory::CreateInstance()";
inline constexpr const char* kCreated = "CShellExt::CShellExt()";
inline constexpr const char* kQueryInit = "CShellExt::QueryInterface()==>IID_IShellExtInit";
inline constexpr const char* kQueryMenu = "CShellExt::QueryInterface()==>IID_IContextMenu";
inline constexpr const char* kQueryUnknown = "CShellExt::QueryInterface()==>Unknown Interface!";
inline constexpr const char* kAddRef = "CShellExt::AddRef()";
inline constexpr const char* kRelease = "CShellExt::Release()";
inline constexpr const char* kInitialize = "CShellExt::Initialize()";
inline constexpr const char* kQueryContextMenu = "CShellExt::QueryContextMenu()";
inline constexpr const char* kInvokeCommand = "CShellExt::InvokeCommand()";
inline constexpr const char* kGetCommandString = "CShellExt::GetCommandString()";
inline constexpr const char* kNormal = "CMF_NORMAL...";
inline constexpr const char* kVerbsOnly = "CMF_VERBSONLY...";
inline constexpr const char* kExplore = "CMF_EXPLORE...";
inline constexpr const char* kDefaultOnly = "CMF_DEFAULTONLY...";
inline constexpr const char* kDefault = "CMF_default...";
inline constexpr const char* kFlagsFormat = "uFlags==>%d";
}  // namespace trace

}  // namespace vig::shell
