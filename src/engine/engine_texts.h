// Every text the batch engine shows or writes, in one place.
#pragma once

#include <cstddef>
#include <string>

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

}  // namespace vig::texts
