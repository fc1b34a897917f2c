// The batch log: header block, per-file lines and error lines.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "documents/writing.h"
#include "image/error_codes.h"
#include "image/png_state.h"
#include "options/batch_options.h"

namespace vig::platform {
class PendingFile;
}

namespace vig::documents {

// The batch log of one run. Its lines reach the file as the run goes on:
// Flush writes what was gathered since the last call (the engine calls it
// when a file is finished), so a run that is killed leaves the lines of
// every file it finished, each piece whole. With LogAppend they are
// appended to LogPath; else the new log is written under no name and takes
// the place of the old one at the first Flush (until then the old log
// stays as it was), and later lines are appended to it. A write that fails
// is cut off again, reported, and ends the log. A link at LogPath is
// followed: the user chose that path.
class BatchLog {
public:
    BatchLog();
    ~BatchLog();  // lines not yet flushed are dropped
    BatchLog(const BatchLog&) = delete;
    BatchLog& operator=(const BatchLog&) = delete;

    // When LogMakeLog is on: prepares the log (with LogHeader the header is
    // its first lines). False when there is no log; a log that cannot be
    // made is reported to the guard and the run goes on without it.
    bool Open(const options::BatchOptions& options, std::time_t start,
              documents::DocumentGuard& guard);
    // Where the run writes its lines; nullptr when there is no log.
    std::FILE* file() const { return lines_; }
    // Writes the lines gathered so far, unless the guard forbids the path
    // now; failures are reported to the guard.
    void Flush();
    // Writes the last lines and closes the log; failures are reported to
    // the guard. True when the log stands complete at its path. Only the
    // first call does anything.
    bool Finish();

private:
    // Puts `text` after what the file holds, or nothing of it.
    bool Append(const std::string& text);
    void Fail(image::ErrorCode code);
    static ssize_t Gather(void* cookie, const char* data, size_t size);

    documents::DocumentGuard* guard_ = nullptr;
    std::string target_;
    bool append_ = false;
    bool failed_ = false;
    int fd_ = -1;  // the appended log, or the new log once it is in place
    std::unique_ptr<platform::PendingFile> replacement_;  // the new log before that
    std::FILE* lines_ = nullptr;
    std::string gathered_;  // lines not yet written
};

// "Day, Month dd, yyyy - hh:mm:ss\n" in local time, with English names.
std::string LogDateLine(std::time_t start);

// The header block, dated with the local time of `start`.
void WriteLogHeader(std::FILE* log, const options::BatchOptions& options, std::time_t start);

// After reading a source: the input line (LogInputName, with the dimensions
// when LogInputDims) and the PNG text lines (LogPNGText).
void WriteLogInputLines(std::FILE* log, const options::BatchOptions& options,
                        const std::string& displayPath, int width, int height,
                        const std::vector<image::PngTextEntry>& texts);
// Before saving: the output line (LogOutName, with the dimensions when
// LogOutputDims).
void WriteLogOutputLine(std::FILE* log, const options::BatchOptions& options,
                        const std::string& outputPath, int width, int height);
// "** Error %s\n".
void WriteLogErrorLine(std::FILE* log, image::ErrorCode code);

}  // namespace vig::documents
