// Texts the options sheet, its pages and its dialogs show from their code
// (their labels live in their Designer files). The framework's validation
// messages are shared with the main window.
#pragma once

#include "ui/window_texts.h"

namespace vig::ui::texts {

inline constexpr char kSheetTitle[] = "Vignettor Options";

// Page titles, in tab order.
inline constexpr char kOutputPageTitle[] = "File/Dir Options";
inline constexpr char kOperationPageTitle[] = "Operation";
inline constexpr char kPngPageTitle[] = "PNG";
inline constexpr char kJpgPageTitle[] = "JPG";
inline constexpr char kImagePageTitle[] = "Image";
inline constexpr char kOverlayPageTitle[] = "Overlay Image";
inline constexpr char kLogPageTitle[] = "Log";
inline constexpr char kHtmlPageTitle[] = "HTML Log Files";
inline constexpr char kCompositePageTitle[] = "Composite";

// Checks made when a page is left (with kEnterIntegerBetween).
inline constexpr char kEnterNumber[] = "Please enter a number.";
inline constexpr char kEnterNoMoreThan[] = "Please enter no more than %1 characters.";
inline constexpr char kInvalidDate[] = "This is not a valid date";
inline constexpr char kNoLogFileName[] = "Warning :\nNo log file name specified";
inline constexpr char kNoHtmlFileName[] = "Warning :\nNo HTML log file name specified";
inline constexpr char kDateFormat[] = "%d/%m/%Y";
inline constexpr char kDefaultBranchPath[] = "Thumbs";
inline constexpr char kAllFilesFilter[] = "*";

// The context-menu extension.
inline constexpr char kShellLibrary[] = "libvigshell.so";
inline constexpr char kRegisterEntry[] = "DllRegisterServer";
inline constexpr char kUnregisterEntry[] = "DllUnregisterServer";
inline constexpr char kShellEnableCaption[] = "Shell extension enable";
inline constexpr char kShellDisableCaption[] = "Shell extension disable";
inline constexpr char kCantFind[] = "Can't find %1 !\n%2 failed.";
inline constexpr char kLoadLibraryFailed[] = "LoadLibrary failed : %1 !\n%2 failed.";
inline constexpr char kGetProcAddressFailed[] = "GetProcAddress failed : %1 !\n%2 failed.";
inline constexpr char kShellSucceeded[] =
    "%1 succeeded.\nYou must restart your file manager for this change to take effect.";
inline constexpr char kShellFailed[] = "%1 failed.";

// Overlay page.
inline constexpr char kInvalidImage[] = "Invalid Image";
inline constexpr char kOverlayDialogTitle[] = "Image To Overlay";

// Image page.
inline constexpr char kLutDialogTitle[] = "User LUT file";

// Log page.
inline constexpr char kLogDialogTitle[] = "Log file name";
inline constexpr char kLogDefaultName[] = "Thumb.Log";
inline constexpr char kAllFilesDialogFilter[] = "All Files (*)";

// HTML dialogs.
inline constexpr char kHtmlHeaderTitle[] = "HTML Header";
inline constexpr char kHtmlFooterTitle[] = "HTML Footer";
inline constexpr char kIncludeDialogTitle[] = "Text file to include";
inline constexpr int kHeaderMaxChars = 255;

// Composite page.
inline constexpr char kFontSample[] = "%1, %2 pt";
// The face chosen, then the one this system draws the labels in.
inline constexpr char kFontSampleDrawnIn[] = "%1 (%2), %3 pt";

}  // namespace vig::ui::texts
