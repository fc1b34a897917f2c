// The batch log: header block, per-file lines and error lines.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "documents/writing.h"
#include "image/error_codes.h"
#include "image/png_state.h"
#include "options/batch_options.h"

namespace vig {

namespace platform {
class PendingFile;
}

// The batch log of one run. Its lines are gathered while the run goes on
// and reach the file at the end in one piece: appended whole to LogPath
// with LogAppend (or not at all), else replacing it. A link at LogPath is
// followed: the user chose that path.
class BatchLog {
public:
    BatchLog();
    ~BatchLog();  // a log never finished is not written
    BatchLog(const BatchLog&) = delete;
    BatchLog& operator=(const BatchLog&) = delete;

    // When LogMakeLog is on: prepares the log (with LogHeader the header is
    // its first lines). False when there is no log; a log that cannot be
    // made is reported to the guard and the run goes on without it.
    bool Open(const BatchOptions& options, std::time_t start, documents::DocumentGuard& guard);
    // Where the run writes its lines; nullptr when there is no log.
    std::FILE* file() const { return lines_; }
    // Puts the lines in place; failures are reported to the guard. Only
    // the first call does anything.
    bool Finish();

private:
    documents::DocumentGuard* guard_ = nullptr;
    std::string target_;
    bool append_ = false;
    int appendFd_ = -1;
    std::unique_ptr<platform::PendingFile> replacement_;
    std::FILE* lines_ = nullptr;
    char* buffer_ = nullptr;
    size_t size_ = 0;
};

// "Day, Month dd, yyyy - hh:mm:ss\n" in local time, with English names.
std::string LogDateLine(std::time_t start);

// The header block, dated with the local time of `start`.
void WriteLogHeader(std::FILE* log, const BatchOptions& options, std::time_t start);

// After reading a source: the input line (LogInputName, with the dimensions
// when LogInputDims) and the PNG text lines (LogPNGText).
void WriteLogInputLines(std::FILE* log, const BatchOptions& options, const std::string& displayPath,
                        int width, int height, const std::vector<PngTextEntry>& texts);
// Before saving: the output line (LogOutName, with the dimensions when
// LogOutputDims).
void WriteLogOutputLine(std::FILE* log, const BatchOptions& options, const std::string& outputPath,
                        int width, int height);
// "** Error %s\n".
void WriteLogErrorLine(std::FILE* log, ErrorCode code);

}  // namespace vig
