// The headless command line:
//   vignettor /h /f INPUT-FILE OUTPUT-FILE [switches]
//   vignettor /h /d SOURCE-FOLDER OUTPUT-FOLDER [switches]
//   vignettor /h /d SOURCE-FOLDER OUTPUT-FOLDER /plan | /shard K/N | /merge [switches]
// Switches count from the fifth argument on, compared exactly, each at its
// first occurrence; they change the options record in memory only.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "options/batch_options.h"

namespace vig::engine {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitReported = 1;  // the run made at least one report
inline constexpr int kExitUsage = 2;

// "/h" or "/HIDE", letter case ignored.
bool IsHeadlessWord(const std::string& arg);

// The command-line codes of the context-menu extension.
int ResizeMethodFromCode(int code);
int OutputFormatFromCode(int code);

// Leading blanks, a sign and decimal digits, as far as they go (0 when there
// are none); values beyond the int range are clamped.
int TextToInt(const std::string& text);

// day/month/year, day 1-31 and month 1-12, to 00:00 local time of that day
// (impossible days roll over the way the calendar does: 31/2 is 3 March
// or 2 March). False when it does not parse.
bool ParseDate(const std::string& text, int64_t* localMidnight);

// Applies the switches of args (argument 0 is the program). False, with a
// description in *problem, when a switch lacks its value or a date does not
// parse; switches applied before that stay applied. *ignored receives the
// arguments from the fifth on that no switch took (unknown words, repeated
// switches, switches of the other mode, a group's losers).
bool ParseCommandOptions(const std::vector<std::string>& args, bool directoryMode,
                         options::BatchOptions& options, std::string* problem = nullptr,
                         std::vector<std::string>* ignored = nullptr);

// Which part of a directory run a command line asks for: the whole run on
// this machine, or one of the three steps a run over several machines is
// made of (the plan, one shard of the files, the merge).
struct RunStep {
    enum class Kind { Whole, Plan, Shard, Merge };
    Kind kind = Kind::Whole;
    int index = 0;  // the shard's number, 1..count
    int count = 0;  // the number of shards
};

// "K/N": decimal numbers only, 1 <= K <= N <= 1000000. False otherwise.
bool ParseShardNumber(const std::string& text, int* index, int* count);

// The step switches of a directory line ("/plan", "/shard K/N", "/merge"),
// compared exactly, from the fifth argument on. At most one of them may be
// given: false, with *problem, for two of them or a bad shard number.
// `taken` marks the arguments it used (sized like args).
bool ParseRunStep(const std::vector<std::string>& args, RunStep* step, std::string* problem,
                  std::vector<bool>* taken);

void PrintUsage(std::FILE* out);

// Runs a headless command line (args[1] is the headless word) and gives the
// exit status: 0, 1 when anything was reported, 2 for a usage error (an
// empty path among them), 128 + the signal number when SIGINT, SIGTERM or
// SIGHUP stopped it. Arguments no switch took are named in warnings on `err`. The
// directory mode's summary goes to `out`, reports and usage text to `err`.
int RunHeadless(const std::vector<std::string>& args, options::BatchOptions& options,
                std::FILE* out, std::FILE* err);

}  // namespace vig::engine
