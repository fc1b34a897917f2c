#include "engine/command_line.h"

#include <algorithm>
#include <climits>
#include <ctime>

#include "engine/app_info.h"
#include "engine/batch_engine.h"
#include "engine/engine_texts.h"
#include "engine/headless_host.h"
#include "platform/paths.h"

namespace vig::engine {
namespace {

constexpr size_t kFirstSwitch = 5;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Blanks, a sign and decimal digits from `pos` on, as far as they go. The
// value stops growing once it is beyond the int range, so it cannot
// overflow and stays out of range.
struct LeadingNumber {
    long long value = 0;
    bool hasDigits = false;
    size_t end = 0;
};

LeadingNumber ScanNumber(const std::string& text, size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    LeadingNumber n;
    const size_t first = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (n.value <= static_cast<long long>(INT_MAX) + 1)
            n.value = n.value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (negative) n.value = -n.value;
    n.hasDigits = pos > first;
    n.end = pos;
    return n;
}

// One "%d" as scanf reads it: blanks, a sign, at least one digit. Values
// beyond the int range fail.
bool ReadInt(const std::string& text, size_t* pos, int* value) {
    const LeadingNumber n = ScanNumber(text, *pos);
    if (!n.hasDigits || n.value > INT_MAX || n.value < INT_MIN) return false;
    *value = static_cast<int>(n.value);
    *pos = n.end;
    return true;
}

class Switches {
public:
    explicit Switches(const std::vector<std::string>& args)
        : args_(args), used_(args.size(), false) {}
    Switches(const std::vector<std::string>& args, const std::vector<bool>& taken)
        : args_(args), used_(taken) {
        used_.resize(args.size(), false);
    }

    // Position of the first occurrence from the fifth argument on, or 0.
    size_t Find(const char* name) const {
        for (size_t i = kFirstSwitch; i < args_.size(); ++i)
            if (args_[i] == name) return i;
        return 0;
    }
    bool HasValues(size_t at, size_t count) const { return at + count < args_.size(); }
    const std::string& Value(size_t at, size_t k) const { return args_[at + k]; }

    // Marks the switch at `at` and its values as taken.
    void Use(size_t at, size_t values = 0) {
        for (size_t i = at; i <= at + values && i < used_.size(); ++i) used_[i] = true;
    }
    // The arguments from the fifth on that nothing took.
    std::vector<std::string> Unused() const {
        std::vector<std::string> out;
        for (size_t i = kFirstSwitch; i < args_.size(); ++i)
            if (!used_[i]) out.push_back(args_[i]);
        return out;
    }

private:
    const std::vector<std::string>& args_;
    std::vector<bool> used_;
};

// One switch of a group and the value it stands for.
struct Choice {
    const char* name;
    int value;
};

// The first switch of the group present on the line, in the group's order
// (nullptr when none is); *at gets its position.
template <size_t N>
const Choice* FirstPresent(const Switches& sw, const Choice (&group)[N], size_t* at) {
    for (const Choice& c : group)
        if ((*at = sw.Find(c.name)) != 0) return &c;
    return nullptr;
}

bool Fail(std::string* problem, const std::string& text) {
    if (problem != nullptr) *problem = text;
    return false;
}

}  // namespace

bool IsHeadlessWord(const std::string& arg) {
    return paths::EqualsIgnoringCase(arg, "/h") || paths::EqualsIgnoringCase(arg, "/HIDE");
}

int ResizeMethodFromCode(int code) {
    switch (code) {
        case 1:
            return options::FixedWidth;
        case 2:
            return options::FixedHeight;
        case 3:
            return options::ExactSize;
        case 4:
            return options::PixelArea;
        case 5:
            return options::Percent;
        case 6:
            return options::NoResize;
        default:
            return options::BestFit;
    }
}

int OutputFormatFromCode(int code) {
    if (code >= 0 && code <= 13) return code + 1;
    switch (code) {
        case 14:
            return options::FormatGif;
        case 15:
            return options::FormatGifGray;
        case 16:
            return options::FormatPcx24;
        case 17:
            return options::FormatPcx8;
        case 18:
            return options::FormatPcxGray;
        default:
            return options::FormatSame24;
    }
}

int TextToInt(const std::string& text) {
    return static_cast<int>(std::clamp<long long>(ScanNumber(text, 0).value, INT_MIN, INT_MAX));
}

bool ParseDate(const std::string& text, int64_t* localMidnight) {
    int day = 0, month = 0, year = 0;
    size_t pos = 0;
    if (!ReadInt(text, &pos, &day) || pos >= text.size() || text[pos++] != '/') return false;
    if (!ReadInt(text, &pos, &month) || pos >= text.size() || text[pos++] != '/') return false;
    if (!ReadInt(text, &pos, &year)) return false;
    if (day < 1 || day > 31 || month < 1 || month > 12) return false;
    if (year < INT_MIN + 1900) return false;
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return false;
    *localMidnight = static_cast<int64_t>(t);
    return true;
}

bool ParseShardNumber(const std::string& text, int* index, int* count) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 >= text.size()) return false;
    long long values[2] = {0, 0};
    const std::string parts[2] = {text.substr(0, slash), text.substr(slash + 1)};
    for (int k = 0; k < 2; ++k) {
        if (parts[k].size() > 7) return false;
        for (char c : parts[k]) {
            if (c < '0' || c > '9') return false;
            values[k] = values[k] * 10 + (c - '0');
        }
    }
    if (values[0] < 1 || values[0] > values[1] || values[1] > 1000000) return false;
    *index = static_cast<int>(values[0]);
    *count = static_cast<int>(values[1]);
    return true;
}

bool ParseRunStep(const std::vector<std::string>& args, RunStep* step, std::string* problem,
                  std::vector<bool>* taken) {
    taken->assign(args.size(), false);
    *step = RunStep{};
    int given = 0;
    for (size_t i = kFirstSwitch; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "/plan" && a != "/shard" && a != "/merge") continue;
        if (++given > 1) return Fail(problem, texts::Tr(QT_TRANSLATE_NOOP(
                                         "vig::texts",
                                         "give only one of \"/plan\", \"/shard\" and \"/merge\"")));
        (*taken)[i] = true;
        if (a == "/plan") {
            step->kind = RunStep::Kind::Plan;
        } else if (a == "/merge") {
            step->kind = RunStep::Kind::Merge;
        } else {
            if (i + 1 >= args.size() || !ParseShardNumber(args[i + 1], &step->index, &step->count))
                return Fail(problem, texts::Tr(QT_TRANSLATE_NOOP(
                                         "vig::texts", "\"/shard\" needs K/N, with 1 <= K <= N")));
            step->kind = RunStep::Kind::Shard;
            (*taken)[++i] = true;
        }
    }
    return true;
}

bool ParseCommandOptions(const std::vector<std::string>& args, bool directoryMode,
                         options::BatchOptions& o, std::string* problem,
                         std::vector<std::string>* ignored) {
    // In directory mode the step switches are no settings, but they are
    // taken: they are not named as ignored.
    std::vector<bool> stepTaken(args.size(), false);
    if (directoryMode) {
        RunStep step;
        if (!ParseRunStep(args, &step, problem, &stepTaken)) return false;
    }
    Switches sw(args, stepTaken);
    if (const size_t at = sw.Find("/x"); at != 0) {
        o.Reset();
        sw.Use(at);
    }

    // In each group the first switch present, in the group's order, wins.
    static const Choice kEnhance[] = {
        {"/e0", options::EnhanceNone},     {"/ed", options::DarkenMidtones},
        {"/ei", options::LightenMidtones}, {"/ex", options::LineArtContrast},
        {"/ec", options::RaiseContrast},   {"/eu", options::UserLut}};
    static const Choice kCase[] = {
        {"/cl", options::Lower}, {"/cu", options::Upper}, {"/cn", options::NoChange}};
    static const Choice kNaming[] = {{"/no", options::Overwrite},
                                     {"/np", options::TextPrefix},
                                     {"/ns", options::TextSuffix},
                                     {"/nn", options::AutoNumericSuffix}};
    size_t chosenAt = 0;

    if (const Choice* e = FirstPresent(sw, kEnhance, &chosenAt)) {
        if (e->value == options::UserLut && !sw.HasValues(chosenAt, 1))
            return Fail(problem,
                        texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "\"/eu\" needs a curve file")));
        o.ImageEnhanceType = e->value;
        o.ImageUserLUTPath = e->value == options::UserLut ? sw.Value(chosenAt, 1) : std::string();
        sw.Use(chosenAt, e->value == options::UserLut ? 1 : 0);
    }
    if (const Choice* c = FirstPresent(sw, kCase, &chosenAt)) {
        o.OutputCase = c->value;
        sw.Use(chosenAt);
    }

    if (const size_t at = sw.Find("/s"); at != 0) {
        if (!sw.HasValues(at, 2))
            return Fail(problem, texts::Tr(QT_TRANSLATE_NOOP("vig::texts",
                                                             "\"/s\" needs a width and a height")));
        o.MainWidth = TextToInt(sw.Value(at, 1));
        o.MainHeight = TextToInt(sw.Value(at, 2));
        sw.Use(at, 2);
    }

    static const Choice kDates[] = {{"/t+", 0}, {"/t-", 1}};  // value: before
    for (const auto& d : kDates) {
        if (const size_t at = sw.Find(d.name); at != 0) {
            int64_t date = 0;
            if (!sw.HasValues(at, 1) || !ParseDate(sw.Value(at, 1), &date))
                return Fail(problem, FillIn(texts::Tr(QT_TRANSLATE_NOOP(
                                                "vig::texts", "%1 needs a date day/month/year")),
                                            {std::string("\"") + d.name + "\""}));
            o.OutputDateFilter = 1;
            o.OutputDateFilterBefore = d.value;
            o.OutputDateDate = date;
            sw.Use(at, 1);
        }
    }

    if (const size_t at = sw.Find("/v"); at != 0) {
        if (!sw.HasValues(at, 1))
            return Fail(problem, texts::Tr(QT_TRANSLATE_NOOP("vig::texts",
                                                             "\"/v\" needs a sharpening level")));
        o.ImageSharpen = 1;
        o.ImageSharpenLevel = TextToInt(sw.Value(at, 1));
        sw.Use(at, 1);
    }
    if (const size_t at = sw.Find("/n"); at != 0) {
        o.MainEnlarge = 1;
        sw.Use(at);
    }
    if (const size_t at = sw.Find("/r"); at != 0) {
        if (!sw.HasValues(at, 1))
            return Fail(problem,
                        texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "\"/r\" needs a resize code")));
        o.MainResizeMethod = ResizeMethodFromCode(TextToInt(sw.Value(at, 1)));
        sw.Use(at, 1);
    }
    if (const size_t at = sw.Find("/o"); at != 0) {
        if (!sw.HasValues(at, 1))
            return Fail(problem,
                        texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "\"/o\" needs a format code")));
        o.MainOutputFormat = OutputFormatFromCode(TextToInt(sw.Value(at, 1)));
        sw.Use(at, 1);
    }

    if (const size_t at = sw.Find("/fast"); at != 0) {
        o.JPGDraftDecode = 1;
        sw.Use(at);
    }
    if (const size_t at = sw.Find("/a"); at != 0) {
        o.ImageAutoOrient = 1;
        sw.Use(at);
    }
    if (const size_t at = sw.Find("/cm"); at != 0) {
        o.ImageColourManage = 1;
        sw.Use(at);
    }

    if (directoryMode) {
        if (const size_t at = sw.Find("/j"); at != 0) {
            if (!sw.HasValues(at, 1))
                return Fail(problem, texts::Tr(QT_TRANSLATE_NOOP(
                                         "vig::texts", "\"/j\" needs a number of threads")));
            o.OpsThreads = std::max(TextToInt(sw.Value(at, 1)), 0);
            sw.Use(at, 1);
        }
        if (const size_t at = sw.Find("/mem"); at != 0) {
            if (!sw.HasValues(at, 1))
                return Fail(problem, texts::Tr(QT_TRANSLATE_NOOP(
                                         "vig::texts", "\"/mem\" needs a number of megabytes")));
            o.OpsMemoryLimit = std::max(TextToInt(sw.Value(at, 1)), 0);
            sw.Use(at, 1);
        }
        // Without a naming switch a directory run overwrites same-named files;
        // a text switch as the last argument takes an empty text.
        const Choice* n = FirstPresent(sw, kNaming, &chosenAt);
        const int style = n != nullptr ? n->value : options::Overwrite;
        const bool takesText = style == options::TextPrefix || style == options::TextSuffix;
        o.OutputRenameStyle = style;
        o.OutputExtraText =
            takesText && sw.HasValues(chosenAt, 1) ? sw.Value(chosenAt, 1) : std::string();
        if (n != nullptr) sw.Use(chosenAt, takesText ? 1 : 0);
    }
    if (ignored != nullptr) *ignored = sw.Unused();
    return true;
}

void PrintUsage(std::FILE* out) {
    const char* usage = QT_TRANSLATE_NOOP(
        "vig::texts",
        "%1 - thumbnails in batches\n"
        "usage:\n"
        "  vignettor /h /f INPUT-FILE OUTPUT-FILE [switches]\n"
        "  vignettor /h /d SOURCE-FOLDER OUTPUT-FOLDER [switches]\n"
        "switches:\n"
        "  /s W H     size            /r CODE   resize method  /o CODE  output format\n"
        "  /n         allow enlarge   /v LEVEL  sharpen        /x       reset options\n"
        "  /e0 /ei /ed /ec /ex, /eu FILE      tone curve\n"
        "  /cl /cu /cn                        letter case of names\n"
        "  /t+ D/M/Y, /t- D/M/Y               files after / before a date\n"
        "  /no, /np TEXT, /ns TEXT, /nn       naming (directory mode)\n"
        "  /j N       files side by side (directory mode; 0 one per core, 1 one at a time)\n"
        "  /mem MB    memory all files in hand may hold (directory mode; 0 half the machine's)\n"
        "  /fast      draft JPEG decoding   /a  turn photos upright (EXIF orientation)\n"
        "  /cm        convert the colour profiles of JPEG, PNG and TIFF pictures to sRGB\n"
        "a directory run over several machines (the same switches for all three steps):\n"
        "  /plan      scan and write the plan into OUTPUT-FOLDER/.vignettor\n"
        "  /shard K/N make the thumbnails of part K of N of the plan\n"
        "  /merge     write pages, index, log and sheets from the plan and the shards\n");
    std::fputs(FillIn(texts::Tr(usage), {ApplicationTitle()}).c_str(), out);
}

int RunHeadless(const std::vector<std::string>& args, options::BatchOptions& options,
                std::FILE* out, std::FILE* err) {
    options.OpsSilentOperation = 1;
    const auto usage = [err](const std::string& problem) {
        if (!problem.empty()) std::fprintf(err, "vignettor: %s\n", problem.c_str());
        PrintUsage(err);
        return kExitUsage;
    };
    if (args.size() < 3) return usage("");
    const bool single = paths::EqualsIgnoringCase(args[2], "/f");
    const bool directory = paths::EqualsIgnoringCase(args[2], "/d");
    if (!single && !directory)
        return usage(
            FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "unknown mode \"%1\" (use /f or /d)")),
                   {args[2]}));
    if (args.size() < 5)
        return usage(
            single
                ? texts::Tr(QT_TRANSLATE_NOOP(
                      "vig::texts", "single-file mode needs an input file and an output file"))
                : texts::Tr(QT_TRANSLATE_NOOP(
                      "vig::texts", "directory mode needs a source folder and an output folder")));
    // An empty path (an unset shell variable, say) would mean the current
    // folder or, joined to names, the root of the file system.
    if (args[3].empty() || args[4].empty())
        return usage(single
                         ? texts::Tr(QT_TRANSLATE_NOOP(
                               "vig::texts", "the input and output paths must not be empty"))
                         : texts::Tr(QT_TRANSLATE_NOOP(
                               "vig::texts", "the source and output folders must not be empty")));
    std::string problem;
    std::vector<std::string> ignored;
    if (!ParseCommandOptions(args, directory, options, &problem, &ignored)) return usage(problem);
    for (const std::string& arg : ignored)
        std::fprintf(
            err, "vignettor: %s\n",
            FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "warning: ignoring argument \"%1\"")),
                   {arg})
                .c_str());
    std::fflush(err);

    HeadlessHost host(err);
    HeadlessHost::InstallStopSignals();
    BatchEngine engine(options, host);
    if (directory) {
        // Set after the switches, so that "/x" cannot replace the folders
        // given on the command line with the reset ones.
        options.MainSrcPath = args[3];
        options.MainDestPath = args[4];
        RunStep step;
        std::vector<bool> taken;
        ParseRunStep(args, &step, nullptr, &taken);
        BatchSummary summary;
        switch (step.kind) {
            case RunStep::Kind::Whole:
                summary = engine.BatchRun();
                break;
            case RunStep::Kind::Plan:
                summary = engine.PlanRun();
                break;
            case RunStep::Kind::Shard:
                summary = engine.ShardRun(step.index, step.count);
                break;
            case RunStep::Kind::Merge:
                summary = engine.MergeRun();
                break;
        }
        if (!summary.problem.empty()) {
            std::fprintf(err, "vignettor: %s\n", summary.problem.c_str());
            std::fflush(err);
            if (summary.settingsDiffer) return kExitUsage;
        }
        if (summary.finished) {
            std::string line;
            if (step.kind == RunStep::Kind::Plan)
                line = texts::PlannedSummary(summary.total);
            else if (step.kind == RunStep::Kind::Shard)
                line = texts::ShardSummary(step.index, step.count, summary.processed,
                                           summary.total);
            else
                line = texts::ProcessedSummary(summary.processed, summary.total);
            std::fputs(line.c_str(), out);
            std::fflush(out);
        }
        if (const int signal = HeadlessHost::StopSignal(); signal != 0) return 128 + signal;
        if (!summary.problem.empty()) return kExitReported;
    } else {
        engine.SingleFileOperation(args[3], args[4], args[3]);
    }
    // A run ended by a signal says so, as a shell would: 128 + its number.
    if (const int signal = HeadlessHost::StopSignal(); signal != 0) return 128 + signal;
    return host.reportCount() > 0 ? kExitReported : kExitSuccess;
}

}  // namespace vig::engine
