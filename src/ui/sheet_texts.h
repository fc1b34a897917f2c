// Texts the options sheet, its pages and its dialogs show from their code
// (their labels live in their Designer files). The framework's validation
// messages are shared with the main window.
#pragma once

#include "ui/window_texts.h"

namespace vig::ui::texts {

inline constexpr char kSheetTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Vignettor Options");

// Page titles, in tab order.
inline constexpr char kOutputPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "File/Dir Options");
inline constexpr char kOperationPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Operation");
inline constexpr char kPngPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "PNG");
inline constexpr char kJpgPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "JPG");
inline constexpr char kImagePageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Image");
inline constexpr char kOverlayPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Overlay Image");
inline constexpr char kLogPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Log");
inline constexpr char kHtmlPageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "HTML Log Files");
inline constexpr char kCompositePageTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Composite");

// Checks made when a page is left (with kEnterIntegerBetween).
inline constexpr char kEnterNumber[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Please enter a number.");
inline constexpr char kEnterNoMoreThan[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Please enter no more than %1 characters.");
inline constexpr char kInvalidDate[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "This is not a valid date");
inline constexpr char kNoLogFileName[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Warning :\nNo log file name specified");
inline constexpr char kNoHtmlFileName[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Warning :\nNo HTML log file name specified");
inline constexpr char kDateFormat[] = "%d/%m/%Y";
inline constexpr char kDefaultBranchPath[] = "Thumbs";
inline constexpr char kAllFilesFilter[] = "*";

// The context-menu extension.
inline constexpr char kShellLibrary[] = "libvigshell.so";
inline constexpr char kRegisterEntry[] = "DllRegisterServer";
inline constexpr char kUnregisterEntry[] = "DllUnregisterServer";
inline constexpr char kShellEnableCaption[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Shell extension enable");
inline constexpr char kShellDisableCaption[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Shell extension disable");
inline constexpr char kCantFind[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Can't find %1 !\n%2 failed.");
inline constexpr char kLoadLibraryFailed[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "LoadLibrary failed : %1 !\n%2 failed.");
inline constexpr char kGetProcAddressFailed[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "GetProcAddress failed : %1 !\n%2 failed.");
inline constexpr char kShellSucceeded[] = QT_TRANSLATE_NOOP(
    "vig::ui::texts",
    "%1 succeeded.\nYou must restart your file manager for this change to take effect.");
inline constexpr char kShellFailed[] = QT_TRANSLATE_NOOP("vig::ui::texts", "%1 failed.");

// Overlay page.
inline constexpr char kInvalidImage[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Invalid Image");
inline constexpr char kOverlayDialogTitle[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Image To Overlay");

// Image page.
inline constexpr char kLutDialogTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "User LUT file");

// Log page.
inline constexpr char kLogDialogTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "Log file name");
inline constexpr char kLogDefaultName[] = "Thumb.Log";
inline constexpr char kAllFilesDialogFilter[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "All Files (*)");

// HTML dialogs.
inline constexpr char kHtmlHeaderTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "HTML Header");
inline constexpr char kHtmlFooterTitle[] = QT_TRANSLATE_NOOP("vig::ui::texts", "HTML Footer");
inline constexpr char kIncludeDialogTitle[] =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Text file to include");
inline constexpr int kHeaderMaxChars = 255;

// Composite page.
inline constexpr char kFontSample[] = QT_TRANSLATE_NOOP("vig::ui::texts", "%1, %2 pt");
// The face chosen, then the one this system draws the labels in.
inline constexpr char kFontSampleDrawnIn[] = QT_TRANSLATE_NOOP("vig::ui::texts", "%1 (%2), %3 pt");

}  // namespace vig::ui::texts
