// The batch log: header block, per-file lines and error lines.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "image/error_codes.h"
#include "image/png_state.h"
#include "options/batch_options.h"

namespace vig {

// Opens the log of a run when LogMakeLog is on: LogPath for appending with
// LogAppend, else replaced; with LogHeader the header follows. nullptr when
// there is no log or it cannot be opened (the run goes on without it).
std::FILE* OpenBatchLog(const BatchOptions& options, std::time_t start);

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
