#include "engine/run_state.h"

#include <zlib.h>

#include <cstdlib>
#include <random>
#include <set>

#include "image/pixel_block.h"
#include "options/batch_options.h"
#include "platform/profile_store.h"

namespace vig::engine::runstate {
namespace {

constexpr const char* kPlanMagic = "vignettor-plan 1";
constexpr const char* kRecordMagic = "vignettor-shard 1";
constexpr const char* kHex = "0123456789ABCDEF";
constexpr const char* kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Codes a record may hold: ours are small numbers.
constexpr int kMaxCode = 10000;
// The largest side of a thumbnail a record may hold.
constexpr int kMaxSide = 1 << 20;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        const size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space - start));
        if (space == std::string::npos) return words;
        start = space + 1;
    }
}

// A decimal number in [low, high], nothing else.
bool Number(const std::string& text, int64_t low, int64_t high, int64_t* value) {
    if (text.empty() || text.size() > 19) return false;
    size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative) i = 1;
    if (i >= text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        if (v > (INT64_MAX - 9) / 10) return false;
        v = v * 10 + (text[i] - '0');
    }
    if (negative) v = -v;
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

bool IntNumber(const std::string& text, int low, int high, int* value) {
    int64_t v = 0;
    if (!Number(text, low, high, &v)) return false;
    *value = static_cast<int>(v);
    return true;
}

std::string Base64(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t n = (uint32_t{data[i]} << 16) |
                           (i + 1 < size ? uint32_t{data[i + 1]} << 8 : 0) |
                           (i + 2 < size ? uint32_t{data[i + 2]} : 0);
        out.push_back(kBase64[(n >> 18) & 63]);
        out.push_back(kBase64[(n >> 12) & 63]);
        out.push_back(i + 1 < size ? kBase64[(n >> 6) & 63] : '=');
        out.push_back(i + 2 < size ? kBase64[n & 63] : '=');
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool FromBase64(const std::string& text, std::vector<uint8_t>* out) {
    if (text.size() % 4 != 0) return false;
    out->clear();
    out->reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
                continue;
            }
            if (pad > 0) return false;  // data after padding
            v[k] = Base64Value(c);
            if (v[k] < 0) return false;
        }
        const uint32_t n = (uint32_t(v[0]) << 18) | (uint32_t(v[1]) << 12) |
                           (uint32_t(v[2]) << 6) | uint32_t(v[3]);
        out->push_back(static_cast<uint8_t>(n >> 16));
        if (pad < 2) out->push_back(static_cast<uint8_t>(n >> 8));
        if (pad < 1) out->push_back(static_cast<uint8_t>(n));
    }
    return true;
}

// A name below the source folder: not empty, not absolute, no ".." step.
bool RelativeName(const std::string& name) {
    if (name.empty() || name[0] == '/') return false;
    size_t start = 0;
    for (;;) {
        const size_t slash = name.find('/', start);
        if (name.compare(start, slash == std::string::npos ? std::string::npos : slash - start,
                         "..") == 0)
            return false;
        if (slash == std::string::npos) return true;
        start = slash + 1;
    }
}

const char* KindWord(StepRecord::Kind kind) {
    switch (kind) {
        case StepRecord::Kind::Step:
            return "step";
        case StepRecord::Kind::Detail:
            return "detail";
        case StepRecord::Kind::StopCheck:
            return "stop";
        case StepRecord::Kind::Loaded:
            return "loaded";
        case StepRecord::Kind::CurveMissing:
            return "curve";
        case StepRecord::Kind::Warning:
            return "warning";
    }
    return "step";
}

bool KindFromWord(const std::string& word, StepRecord::Kind* kind) {
    static const StepRecord::Kind kAll[] = {
        StepRecord::Kind::Step,   StepRecord::Kind::Detail,       StepRecord::Kind::StopCheck,
        StepRecord::Kind::Loaded, StepRecord::Kind::CurveMissing, StepRecord::Kind::Warning};
    for (StepRecord::Kind k : kAll) {
        if (word == KindWord(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == '%' || b == 0x7F) {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool Unescape(const std::string& text, std::string* out) {
    out->clear();
    out->reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out->push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int hi = HexValue(text[i + 1]);
        const int lo = HexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return true;
}

std::vector<std::string> SettingsLines(const options::BatchOptions& options) {
    MemoryProfileStore store;
    options.Save(store);
    static const std::set<std::string> kMachineOnly = {"OpsThreads", "OpsMemoryLimit",
                                                       "OpsErrorLogWindow"};
    std::vector<std::string> lines;
    for (const auto& [name, value] : store.Values()) {
        if (kMachineOnly.count(name) != 0) continue;
        if (name == "OutputDateDate" && options.OutputDateFilter == 0) continue;
        lines.push_back(name + "=" + value);
    }
    return lines;
}

std::string NewPlanId() {
    std::random_device device;
    std::mt19937_64 random((uint64_t{device()} << 32) ^ device());
    uint64_t value = random();
    std::string id(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) id[static_cast<size_t>(i)] = kHex[value & 15];
    return id;
}

std::string PlanText(const Plan& plan) {
    std::string out = std::string(kPlanMagic) + "\nid " + plan.id + "\n";
    for (const std::string& s : plan.settings) out += "setting " + Escape(s) + "\n";
    out += "files " + std::to_string(plan.files.size()) + "\n";
    for (size_t i = 0; i < plan.files.size(); ++i)
        out += "f " + std::to_string(i) + " " + Escape(plan.files[i]) + "\n";
    out += "end " + plan.id + " " + std::to_string(plan.files.size()) + "\n";
    return out;
}

bool ParsePlan(const std::string& text, Plan* plan, std::string* problem) {
    *plan = Plan{};
    long number = 0;
    size_t pos = 0;
    enum { Magic, Id, Settings, Files, End, Done } state = Magic;
    int64_t count = 0;
    const auto fail = [&](const std::string& what) {
        *problem = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (pos < text.size()) {
        const size_t eol = text.find('\n', pos);
        ++number;
        if (eol == std::string::npos) return fail("the plan ends in the middle of a line");
        const std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        const std::vector<std::string> w = Words(line);
        std::string value;
        switch (state) {
            case Magic:
                if (line != kPlanMagic) return fail("not a plan of this version");
                state = Id;
                break;
            case Id:
                if (w.size() != 2 || w[0] != "id" || w[1].size() != 16 ||
                    w[1].find_first_not_of(kHex) != std::string::npos)
                    return fail("no plan identity");
                plan->id = w[1];
                state = Settings;
                break;
            case Settings:
                if (w.size() == 2 && w[0] == "setting") {
                    if (!Unescape(w[1], &value)) return fail("a damaged setting");
                    plan->settings.push_back(value);
                    break;
                }
                if (w.size() != 2 || w[0] != "files" || !Number(w[1], 0, INT32_MAX, &count))
                    return fail("no file count");
                plan->files.reserve(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
                state = count > 0 ? Files : End;
                break;
            case Files: {
                int64_t at = 0;
                if (w.size() != 3 || w[0] != "f" || !Number(w[1], 0, INT64_MAX, &at) ||
                    at != static_cast<int64_t>(plan->files.size()))
                    return fail("file " + std::to_string(plan->files.size()) + " expected");
                if (!Unescape(w[2], &value) || !RelativeName(value))
                    return fail("a damaged file name");
                plan->files.push_back(value);
                if (static_cast<int64_t>(plan->files.size()) == count) state = End;
                break;
            }
            case End: {
                int64_t n = 0;
                if (w.size() != 3 || w[0] != "end" || w[1] != plan->id ||
                    !Number(w[2], 0, INT64_MAX, &n) || n != count)
                    return fail("no end line of this plan");
                state = Done;
                break;
            }
            case Done:
                return fail("lines after the end");
        }
    }
    if (state != Done) return fail("the plan is cut short");
    return true;
}

std::string SettingsDifference(const std::vector<std::string>& plan,
                               const std::vector<std::string>& here) {
    const auto nameOf = [](const std::string& line) { return line.substr(0, line.find('=')); };
    const auto valueOf = [](const std::string& line) {
        const size_t eq = line.find('=');
        return eq == std::string::npos ? std::string() : line.substr(eq + 1);
    };
    size_t i = 0, j = 0;
    while (i < plan.size() || j < here.size()) {
        if (i < plan.size() && j < here.size() && plan[i] == here[j]) {
            ++i, ++j;
            continue;
        }
        if (j >= here.size() || (i < plan.size() && nameOf(plan[i]) < nameOf(here[j])))
            return nameOf(plan[i]) + " is \"" + valueOf(plan[i]) + "\" in the plan and not set here";
        if (i >= plan.size() || nameOf(here[j]) < nameOf(plan[i]))
            return nameOf(here[j]) + " is \"" + valueOf(here[j]) + "\" here and not in the plan";
        return nameOf(plan[i]) + " is \"" + valueOf(here[j]) + "\" here and \"" +
               valueOf(plan[i]) + "\" in the plan";
    }
    return "";
}

void ShardRange(int64_t total, int index, int count, int64_t* first, int64_t* end) {
    *first = total * (index - 1) / count;
    *end = total * index / count;
}

std::string ShardFolderName(int index, int count) {
    return "shard-" + std::to_string(index) + "-of-" + std::to_string(count);
}

bool ParseShardFolderName(const std::string& name, int* index, int* count) {
    const std::string prefix = "shard-";
    const size_t of = name.find("-of-");
    if (name.compare(0, prefix.size(), prefix) != 0 || of == std::string::npos) return false;
    const std::string k = name.substr(prefix.size(), of - prefix.size());
    const std::string n = name.substr(of + 4);
    if (k.empty() || n.empty() || k[0] == '0' || n[0] == '0') return false;
    return IntNumber(k, 1, 1000000, index) && IntNumber(n, *index, 1000000, count);
}

void WriteRecordHeader(std::FILE* out, const RecordHeader& h) {
    std::fprintf(out, "%s\nplan %s\nshard %d %d %lld %lld\n", kRecordMagic, h.planId.c_str(),
                 h.index, h.count, static_cast<long long>(h.first),
                 static_cast<long long>(h.end));
}

bool WriteOutcome(std::FILE* out, const FileOutcome& o) {
    std::fprintf(out, "file %lld %d %d %d %d %d\n", static_cast<long long>(o.position),
                 static_cast<int>(o.code), o.made ? 1 : 0, o.staged ? 1 : 0, o.width, o.height);
    for (const StepRecord::Event& e : o.steps.events())
        std::fprintf(out, "step %s %s\n", KindWord(e.kind), Escape(e.text).c_str());
    std::fprintf(out, "loaded %d %d\n", o.steps.loadedWidth(), o.steps.loadedHeight());
    for (const image::PngTextEntry& t : o.steps.loadedTexts())
        std::fprintf(out, "text %d %s %s\n", t.compressed ? 1 : 0, Escape(t.key).c_str(),
                     Escape(t.text).c_str());
    if (o.cellWidth > 0) {
        uLongf size = compressBound(static_cast<uLong>(o.cell.size()));
        std::vector<uint8_t> packed;
        try {
            packed.resize(size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (compress2(packed.data(), &size, o.cell.data(), static_cast<uLong>(o.cell.size()), 6) !=
            Z_OK)
            return false;
        std::fprintf(out, "cell %d %d %s\n", o.cellWidth, o.cellHeight,
                     Base64(packed.data(), size).c_str());
    }
    return true;
}

void WriteRecordEnd(std::FILE* out, int64_t count) {
    std::fprintf(out, "end %lld\n", static_cast<long long>(count));
}

RecordReader::~RecordReader() {
    std::free(buffer_);
}

bool RecordReader::Fail(const std::string& what) {
    if (problem_.empty()) problem_ = "line " + std::to_string(lineNumber_) + ": " + what;
    return false;
}

bool RecordReader::ReadLine() {
    if (pending_) {
        pending_ = false;
        return true;
    }
    const ssize_t n = getline(&buffer_, &capacity_, in_);
    if (n <= 0) return false;
    ++lineNumber_;
    if (buffer_[n - 1] != '\n') return Fail("the record ends in the middle of a line");
    line_.assign(buffer_, static_cast<size_t>(n - 1));
    return true;
}

bool RecordReader::ReadHeader(RecordHeader* header) {
    if (!ReadLine() || line_ != kRecordMagic) return Fail("not a shard record of this version");
    std::vector<std::string> w;
    if (!ReadLine() || (w = Words(line_)).size() != 2 || w[0] != "plan" || w[1].size() != 16 ||
        w[1].find_first_not_of(kHex) != std::string::npos)
        return Fail("no plan identity");
    header_.planId = w[1];
    if (!ReadLine() || (w = Words(line_)).size() != 5 || w[0] != "shard" ||
        !IntNumber(w[1], 1, 1000000, &header_.index) ||
        !IntNumber(w[2], header_.index, 1000000, &header_.count) ||
        !Number(w[3], 0, INT32_MAX, &header_.first) ||
        !Number(w[4], header_.first, INT32_MAX, &header_.end))
        return Fail("no shard line");
    next_ = header_.first;
    *header = header_;
    return true;
}

bool RecordReader::Next(FileOutcome* o, bool keepCells) {
    if (complete_ || !problem_.empty()) return false;
    if (!ReadLine()) return Fail(next_ < header_.end ? "the record is cut short" : "no end line");
    std::vector<std::string> w = Words(line_);
    if (next_ == header_.end) {
        int64_t n = 0;
        if (w.size() != 2 || w[0] != "end" || !Number(w[1], 0, INT32_MAX, &n) ||
            n != header_.end - header_.first)
            return Fail("no end line");
        if (ReadLine()) return Fail("lines after the end");
        if (!problem_.empty()) return false;
        complete_ = true;
        return false;
    }
    int code = 0, made = 0, staged = 0;
    if (w.size() != 7 || w[0] != "file" || w[1] != std::to_string(next_) ||
        !IntNumber(w[2], 0, kMaxCode, &code) || !IntNumber(w[3], 0, 1, &made) ||
        !IntNumber(w[4], 0, 1, &staged) || !IntNumber(w[5], 0, kMaxSide, &o->width) ||
        !IntNumber(w[6], 0, kMaxSide, &o->height))
        return Fail("the outcome of file " + std::to_string(next_) + " expected");
    o->position = next_++;
    o->code = static_cast<image::ErrorCode>(code);
    o->made = made != 0;
    o->staged = staged != 0;
    o->steps.Clear();
    o->cellWidth = o->cellHeight = 0;
    o->cell.clear();
    int loadedWidth = 0, loadedHeight = 0;
    std::vector<image::PngTextEntry> texts;
    bool loadedSeen = false;
    while (ReadLine()) {
        w = Words(line_);
        std::string text;
        if (w[0] == "file" || w[0] == "end") {
            pending_ = true;
            break;
        }
        if (w[0] == "step") {
            StepRecord::Kind kind;
            if (w.size() != 3 || !KindFromWord(w[1], &kind) || !Unescape(w[2], &text))
                return Fail("a damaged step");
            o->steps.Append(kind, text);
        } else if (w[0] == "loaded") {
            if (loadedSeen || w.size() != 3 || !IntNumber(w[1], 0, INT32_MAX, &loadedWidth) ||
                !IntNumber(w[2], 0, INT32_MAX, &loadedHeight))
                return Fail("a damaged size");
            loadedSeen = true;
        } else if (w[0] == "text") {
            image::PngTextEntry t;
            int compressed = 0;
            if (!loadedSeen || w.size() != 4 || !IntNumber(w[1], 0, 1, &compressed) ||
                !Unescape(w[2], &t.key) || !Unescape(w[3], &t.text))
                return Fail("a damaged text");
            t.compressed = compressed != 0;
            texts.push_back(std::move(t));
        } else if (w[0] == "cell") {
            int cw = 0, ch = 0;
            size_t bytes = 0;
            if (o->cellWidth > 0 || w.size() != 4 || !IntNumber(w[1], 1, kMaxSide, &cw) ||
                !IntNumber(w[2], 1, kMaxSide, &ch) || !image::BlockSize(cw, ch, 3, &bytes))
                return Fail("a damaged sheet cell");
            if (keepCells) {
                std::vector<uint8_t> packed;
                if (!FromBase64(w[3], &packed)) return Fail("a damaged sheet cell");
                o->cell.resize(bytes);
                uLongf size = static_cast<uLongf>(bytes);
                if (uncompress(o->cell.data(), &size, packed.data(),
                               static_cast<uLong>(packed.size())) != Z_OK ||
                    size != bytes)
                    return Fail("a damaged sheet cell");
            } else if (w[3].size() % 4 != 0 || w[3].empty()) {
                return Fail("a damaged sheet cell");
            }
            o->cellWidth = cw;
            o->cellHeight = ch;
        } else {
            return Fail("an unknown line");
        }
    }
    if (!problem_.empty()) return false;
    if (!loadedSeen) return Fail("the outcome of file " + std::to_string(o->position) + " has no size");
    o->steps.SetLoaded(loadedWidth, loadedHeight, std::move(texts));
    return true;
}

bool CheckRecordText(const std::string& text, std::string* problem) {
    if (text.empty()) {
        *problem = "line 0: not a shard record of this version";
        return false;
    }
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (in == nullptr) {
        *problem = "cannot be read";
        return false;
    }
    bool ok = false;
    {
        RecordReader reader(in);
        RecordHeader header;
        if (reader.ReadHeader(&header)) {
            FileOutcome outcome;
            while (reader.Next(&outcome, true)) {
            }
            ok = reader.complete();
        }
        *problem = reader.problem();
    }
    std::fclose(in);
    return ok;
}

}  // namespace vig::engine::runstate
