// Every text the batch engine shows or writes, in one place.
#pragma once

#include <cstddef>
#include <string>

#include "image/codec_table.h"
#include "platform/translation.h"

namespace vig::engine::texts {

// The catalogue context of this file's texts and of the reports' contexts.
inline constexpr const char* kContext = "vig::texts";

// A text of this file as the user reads it (Translate in kContext).
std::string Tr(const char* text);

// The report of a failure: "Error : <what>\nFile : <file>\nContext : <where>"
// (without the file line when there is no file).
inline constexpr const char* kReportFormat =
    QT_TRANSLATE_NOOP("vig::texts", "Error : %1\nContext : %2");
inline constexpr const char* kReportFileFormat =
    QT_TRANSLATE_NOOP("vig::texts", "Error : %1\nFile : %2\nContext : %3");
inline constexpr const char* kPressCancel =
    QT_TRANSLATE_NOOP("vig::texts", "Press Cancel to stop this procedure");

// Status line: step texts.
inline constexpr const char* kScanningForImages =
    QT_TRANSLATE_NOOP("vig::texts", "Scanning for images");
inline constexpr const char* kReadingSourceTree =
    QT_TRANSLATE_NOOP("vig::texts", "Reading source tree");
inline constexpr const char* kCreatingDestTree =
    QT_TRANSLATE_NOOP("vig::texts", "Creating dest tree");
inline constexpr const char* kReading = QT_TRANSLATE_NOOP("vig::texts", "Reading");
inline constexpr const char* kResizing = QT_TRANSLATE_NOOP("vig::texts", "Resizing");
inline constexpr const char* kApplyingOverlay = QT_TRANSLATE_NOOP("vig::texts", "Applying Overlay");
inline constexpr const char* kSharpen = QT_TRANSLATE_NOOP("vig::texts", "Sharpen");
inline constexpr const char* kMatting = QT_TRANSLATE_NOOP("vig::texts", "Matting");
inline constexpr const char* kSaving = QT_TRANSLATE_NOOP("vig::texts", "Saving");
inline constexpr const char* kLoadingOverlay =
    QT_TRANSLATE_NOOP("vig::texts", "Loading overlay image");

// Busy window line.
inline constexpr const char* kScanningForFiles =
    QT_TRANSLATE_NOOP("vig::texts", "Scanning for files");

// Questions.
inline constexpr const char* kOverwriteQuestion =
    QT_TRANSLATE_NOOP("vig::texts", "This operation will overwrite all input files.\nContinue?");

// Report contexts.
inline constexpr const char* kContextFindFiles =
    QT_TRANSLATE_NOOP("vig::texts", "find files in dir");
inline constexpr const char* kContextFindFilesByExt =
    QT_TRANSLATE_NOOP("vig::texts", "find files by ext");
inline constexpr const char* kContextGetSubdirs = QT_TRANSLATE_NOOP("vig::texts", "get subdirs");
inline constexpr const char* kContextCreateTree =
    QT_TRANSLATE_NOOP("vig::texts", "create output tree");
inline constexpr const char* kContextStoppingOutputFolder =
    QT_TRANSLATE_NOOP("vig::texts", "Stopping (Main Resize)");
inline constexpr const char* kContextStopping =
    QT_TRANSLATE_NOOP("vig::texts", "Stopping (main resize)");
inline constexpr const char* kContextOverlayRun =
    QT_TRANSLATE_NOOP("vig::texts", "Overlay (main resize)\nSetting overlay OFF");
inline constexpr const char* kContextHtmlLinksOff =
    QT_TRANSLATE_NOOP("vig::texts", "Main resize\nTurning HTML links OFF!!");
inline constexpr const char* kContextCompositeOff =
    QT_TRANSLATE_NOOP("vig::texts", "Main resize\nTurning Composite Off!");
inline constexpr const char* kContextCompositeInit =
    QT_TRANSLATE_NOOP("vig::texts", "Composite image initialization");
inline constexpr const char* kContextFileProcess = QT_TRANSLATE_NOOP("vig::texts", "File Process");
inline constexpr const char* kContextAddComposite =
    QT_TRANSLATE_NOOP("vig::texts", "Add composite");
inline constexpr const char* kContextUserLut = QT_TRANSLATE_NOOP("vig::texts", "Load user LUT");
inline constexpr const char* kContextSingleOverlay =
    QT_TRANSLATE_NOOP("vig::texts", "Single File Start, Overlay Load\nSetting Overlay OFF");
inline constexpr const char* kContextSingleFile =
    QT_TRANSLATE_NOOP("vig::texts", "Single File Start");
inline constexpr const char* kContextSaveComposite =
    QT_TRANSLATE_NOOP("vig::texts", "Save composite image");

// Why a picture's colour profile was left unused (nullptr when it was not).
const char* ProfileIgnoredReason(image::ProfileOutcome outcome);
// The warning of a file whose colour profile was left unused:
// "<file>: <reason>".
// "<file>: <reason>", in English (a shard's record keeps it).
std::string ProfileIgnored(const std::string& file, const char* reason);
// A warning as the user reads it: the reason of ProfileIgnored in the
// user's language; any other text as it is.
std::string ShownWarning(const std::string& warning);

// The notice while another run holds the output folder.
std::string WaitingForFolder(const std::string& folder);

// Table cell lines around a thumbnail's page entry.
inline constexpr const char* kCellStart = "  <td>\n";
inline constexpr const char* kCellEnd = "  </td>\n\n";

// "Found %d files\n"
std::string FoundFiles(size_t count);
// "%d of %d files processed"
std::string FilesProcessed(int processed, int total);
// "Processed %d of %d files\n"
std::string ProcessedSummary(int processed, int total);
// "Planned %d files\n"
std::string PlannedSummary(int total);
// "Shard %d/%d: processed %d of %d files\n"
std::string ShardSummary(int index, int count, int processed, int total);

// `text` as it can be put on a terminal without driving it: printable
// characters (valid UTF-8) stand as they are; every other byte (C0 controls,
// DEL, the bytes of a C1 control U+0080 to U+009F, bytes that are not valid
// UTF-8) is shown as a backslash and three octal digits, ESC as "\033", as
// `ls -b` does; a backslash is shown doubled, so every shown text names one
// text. With keepLineBreaks, line feeds and tabs stay as they are.
std::string ForTerminal(const std::string& text, bool keepLineBreaks = false);

// The progress line of a headless run on a terminal, at most `width`
// characters: "12 of 76 files | photo.jpg | 3.4 files/s | 0:19 left", the
// time left as h:mm:ss from an hour on. The file is named by its path as
// ForTerminal shows it, shortened from the left to fit; without a rate yet
// (rate 0) the last two parts are "-- files/s" and "--:-- left".
std::string ProgressLine(int done, int total, const std::string& current, double rate,
                         size_t width);
// A length of time as m:ss, or h:mm:ss from an hour on ("0:19", "1:02:03").
std::string Duration(long seconds);

}  // namespace vig::engine::texts
