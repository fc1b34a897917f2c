// The files a batch run over several machines keeps in the hidden state
// folder of its output folder (.vignettor): the plan (the settings and the
// files in run order) and one record per shard (each file's outcome, keyed
// by its position in the plan). Both are versioned line-oriented texts of
// ours; every line but the first two names the plan it belongs to through
// the header, so files of two runs never mix. Texts in them are escaped
// (bytes up to the space, '%' and DEL as %XX), so every value is one word.
// The readers take any bytes: anything they do not understand is a
// problem with its line number, never a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/file_steps.h"
#include "image/error_codes.h"

namespace vig::options {
struct BatchOptions;
}

namespace vig::engine {

namespace runstate {

inline constexpr const char* kStateFolder = ".vignettor";
inline constexpr const char* kPlanFile = "plan.txt";
inline constexpr const char* kRecordFile = "record.txt";

std::string Escape(const std::string& text);
// False for a '%' without two hex digits after it.
bool Unescape(const std::string& text, std::string* out);

// The settings a run's steps must share, one "Name=value" each, in name
// order: every stored setting but those that change how a machine works
// and never what it writes (threads, memory, the error window), and the
// filter date only while the date filter is on.
std::vector<std::string> SettingsLines(const options::BatchOptions& options);

// A new plan identity: 16 random hex digits.
std::string NewPlanId();

struct Plan {
    std::string id;
    std::vector<std::string> settings;  // SettingsLines
    std::vector<std::string> files;     // relative to the source folder, in run order
};

std::string PlanText(const Plan& plan);
bool ParsePlan(const std::string& text, Plan* plan, std::string* problem);

// The first difference between the plan's settings and these, for a
// refusal ("" when there is none).
std::string SettingsDifference(const std::vector<std::string>& plan,
                               const std::vector<std::string>& here);

// The contiguous block of plan positions [*first, *end) of shard `index`
// (1..count) of `total` files.
void ShardRange(int64_t total, int index, int count, int64_t* first, int64_t* end);

// The folder of shard index/count in the state folder: "shard-K-of-N".
std::string ShardFolderName(int index, int count);
// Reads "shard-K-of-N" back; false for any other name.
bool ParseShardFolderName(const std::string& name, int* index, int* count);

// One file's outcome, as a shard made it.
struct FileOutcome {
    int64_t position = 0;
    image::ErrorCode code = image::ErrNone;  // of making or of saving the thumbnail
    bool made = false;         // the thumbnail was made: its entries are written
    bool staged = false;       // its file waits in the shard's folder
    int width = 0, height = 0;
    StepRecord steps;  // what the steps told, to be told again in file order
    // The thumbnail's pixels for a contact sheet (RGB, rows top first), when
    // sheets are made; cellWidth 0 for none.
    int cellWidth = 0, cellHeight = 0;
    std::vector<uint8_t> cell;
};

struct RecordHeader {
    std::string planId;
    int index = 0, count = 0;
    int64_t first = 0, end = 0;
};

// Writes a record line by line to a stream.
void WriteRecordHeader(std::FILE* out, const RecordHeader& header);
// False when the cell could not be compressed (no memory).
bool WriteOutcome(std::FILE* out, const FileOutcome& outcome);
void WriteRecordEnd(std::FILE* out, int64_t count);

// Reads a record from a stream, one file at a time, checking it as it
// goes: the header, then the outcomes of first .. end-1 in order, then the
// end line.
class RecordReader {
public:
    explicit RecordReader(std::FILE* in) : in_(in) {}
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    bool ReadHeader(RecordHeader* header);
    // The next outcome; false at the end or on a problem (then problem()
    // is not empty). Cells are read only with keepCells.
    bool Next(FileOutcome* outcome, bool keepCells);
    bool complete() const { return complete_; }  // the end line was read and checked
    const std::string& problem() const { return problem_; }

private:
    bool ReadLine();
    bool Fail(const std::string& what);

    std::FILE* in_;
    char* buffer_ = nullptr;
    size_t capacity_ = 0;
    std::string line_;
    bool pending_ = false;  // line_ holds a line not yet used
    long lineNumber_ = 0;
    RecordHeader header_;
    int64_t next_ = 0;
    bool complete_ = false;
    std::string problem_;
};

// Reads a whole record from memory and checks it (the fuzz target's way
// in): true when complete, else *problem says what is wrong.
bool CheckRecordText(const std::string& text, std::string* problem);

}  // namespace runstate
}  // namespace vig::engine
