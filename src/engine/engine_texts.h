// Every text the batch engine shows or writes, in one place.
#pragma once

#include <cstddef>
#include <string>

#include "image/codec_table.h"

namespace vig::texts {

// Status line: step texts.
inline constexpr const char* kScanningForImages = "Scanning for images";
inline constexpr const char* kReadingSourceTree = "Reading source tree";
inline constexpr const char* kCreatingDestTree = "Creating dest tree";
inline constexpr const char* kReading = "Reading";
inline constexpr const char* kResizing = "Resizing";
inline constexpr const char* kApplyingOverlay = "Applying Overlay";
inline constexpr const char* kSharpen = "Sharpen";
inline constexpr const char* kMatting = "Matting";
inline constexpr const char* kSaving = "Saving";
inline constexpr const char* kLoadingOverlay = "Loading overlay image";

// Busy window line.
inline constexpr const char* kScanningForFiles = "Scanning for files";

// Questions.
inline constexpr const char* kOverwriteQuestion =
    "This operation will overwrite all input files.\nContinue?";

// Report contexts.
inline constexpr const char* kContextFindFiles = "find files in dir";
inline constexpr const char* kContextFindFilesByExt = "find files by ext";
inline constexpr const char* kContextGetSubdirs = "get subdirs";
inline constexpr const char* kContextCreateTree = "create output tree";
inline constexpr const char* kContextStoppingOutputFolder = "Stopping (Main Resize)";
inline constexpr const char* kContextStopping = "Stopping (main resize)";
inline constexpr const char* kContextOverlayRun = "Overlay (main resize)\nSetting overlay OFF";
inline constexpr const char* kContextHtmlLinksOff = "Main resize\nTurning HTML links OFF!!";
inline constexpr const char* kContextCompositeOff = "Main resize\nTurning Composite Off!";
inline constexpr const char* kContextCompositeInit = "Composite image initialization";
inline constexpr const char* kContextFileProcess = "File Process";
inline constexpr const char* kContextAddComposite = "Add composite";
inline constexpr const char* kContextUserLut = "Load user LUT";
inline constexpr const char* kContextSingleOverlay =
    "Single File Start, Overlay Load\nSetting Overlay OFF";
inline constexpr const char* kContextSingleFile = "Single File Start";
inline constexpr const char* kContextSaveComposite = "Save composite image";

// Why a picture's colour profile was left unused (nullptr when it was not).
const char* ProfileIgnoredReason(ProfileOutcome outcome);
// The warning of a file whose colour profile was left unused:
// "<file>: <reason>".
std::string ProfileIgnored(const std::string& file, const char* reason);

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

}  // namespace vig::texts
