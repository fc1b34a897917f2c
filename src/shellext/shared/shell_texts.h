// Every text the context-menu extension shows, writes or traces.
#pragma once

namespace vig::shell {

// The application title of the extension: the program's base name.
inline constexpr const char* kAppTitle = "vignettor";

inline constexpr const char* kMenuText = "&Snapshrink...";
inline constexpr const char* kMenuEntryLabel = "Snapshrink...";
inline constexpr const char* kMenuHelpText = "Create image thumbnail using Vignettor";
inline constexpr const char* kMenuVerb = "VigVig";

// Registration.
inline constexpr const char* kServerName = "Vignettor";
inline constexpr const char* kClsidKey = "CLSID/%s";
inline constexpr const char* kInProcServerKey = "CLSID/%s/InProcServer32";
inline constexpr const char* kHandlerKey = "*/shellex/ContextMenuHandlers/Vignettor";
inline constexpr const char* kThreadingModelName = "ThreadingModel";
inline constexpr const char* kThreadingModel = "Apartment";
// printf format: the store's path, the count of lines skipped, the first.
inline constexpr const char* kSkippedLinesFormat =
    "vigshell: warning: %s: skipped %zu damaged line(s), the first is line %d\n";

// The command.
inline constexpr const char* kProgramFileName = "vignettor";
inline constexpr const char* kLauncherFileName = "vigshell";
inline constexpr const char* kProgramMissing =
    "Unable to find Vignettor\nPlease run the main Vignettor program.";
inline constexpr const char* kCommandLineFormat = "%s /h /f %s %s %s /r %d /o %d /s %d %d %s";
inline constexpr const char* kEnlargeText = " /n ";
inline constexpr const char* kResetText = "/x";
inline constexpr const char* kProcessingFormat = "Processing file %d of %d";
inline constexpr const char* kSparedFormat =
    "%d file(s) not processed: the thumbnail would have replaced a selected file.\n"
    "Choose another output folder, naming style or output format.";

// The launcher.
inline constexpr const char* kLauncherUsage =
    "usage: vigshell [--] FILE... make thumbnails of the files through the quick dialog\n"
    "       vigshell --register   add \"Snapshrink...\" to the file managers' menus\n"
    "       vigshell --unregister remove it again\n";
inline constexpr const char* kUnknownOptionFormat =
    "vigshell: unknown option \"%s\" (file names that begin with '-' go after \"--\")\n";
inline constexpr const char* kLibraryMissing =
    "cannot find libvigshell.so beside the launcher or in its installation's library folder";
inline constexpr const char* kNoDisplay =
    "no display to show the quick dialog on; \"vignettor /h /f IN OUT\" makes a thumbnail "
    "without one";

// The quick dialog.
inline constexpr const char* kDialogTitle = "Vignettor Snapshrink";
inline constexpr const char* kChooseFolderTitle = "Choose an output directory";
inline constexpr const char* kEnterInteger = "Please enter an integer.";
inline constexpr const char* kWidthLabel = "Width";
inline constexpr const char* kHeightLabel = "Height";
inline constexpr const char* kAreaLabel = "Area";
inline constexpr const char* kPercentLabel = "Percent";

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
