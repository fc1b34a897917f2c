// The plan, shard and merge steps of a batch run over several machines.
// The plan scans as a run does and writes the file order; a shard makes
// the thumbnails of its block of that order with the run's per-file steps,
// keeps them in its own folder and records each outcome; the merge is the
// run's document loop over the plan, taking each file's outcome from the
// records instead of making it, and moving each thumbnail to the name the
// run gives it at that file's turn.
#include "engine/run_steps.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <set>

#include <unistd.h>

#include "documents/composite.h"
#include "engine/engine_texts.h"
#include "engine/engine_util.h"
#include "engine/file_steps.h"
#include "engine/file_workers.h"
#include "engine/output_naming.h"
#include "engine/run_files.h"
#include "engine/run_host.h"
#include "engine/run_parts.h"
#include "engine/source_scan.h"
#include "image/codec_table.h"
#include "image/cpx_image.h"
#include "image/image_library.h"
#include "image/memory_budget.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig::engine {
namespace {

constexpr int kFilesInFlightPerThread = 2;
const std::atomic<bool> kNeverGivenUp{false};

bool ReadWholeFile(const std::string& path, std::string* text) {
    std::FILE* f = platform::OpenRegularFileStream(path);
    if (f == nullptr) return false;
    text->clear();
    char buffer[1 << 16];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, n);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

// The plan of this run's root, checked, with settings matching these.
bool LoadPlan(const options::BatchOptions& o, runstate::Plan* plan, BatchSummary& summary) {
    const std::string path = paths::Join(StateFolder(o), runstate::kPlanFile);
    std::string text, problem;
    if (!ReadWholeFile(path, &text)) {
        summary.problem = FillIn(
            texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "no plan at %1: run the plan step (/plan) first")),
            {path});
        return false;
    }
    if (!runstate::ParsePlan(text, plan, &problem)) {
        summary.problem =
            FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "the plan %1 is damaged (%2)")),
                   {path, problem});
        return false;
    }
    const std::string difference =
        runstate::SettingsDifference(plan->settings, runstate::SettingsLines(o));
    if (!difference.empty()) {
        summary.problem = FillIn(
            texts::Tr(QT_TRANSLATE_NOOP("vig::texts",
                                        "the settings differ from the plan's (%1): every step of "
                                        "a run needs the same switches and settings")),
            {difference});
        summary.settingsDiffer = true;
        return false;
    }
    return true;
}

}  // namespace

// Moves a shard's thumbnail to its name; a copy where the two folders lie
// on different file systems.
class StagedSaver final : public BatchEngine::ThumbnailSaver {
public:
    // `staged` is "" when the shard left no file (its save failed with
    // `code`, or the format has no writer).
    StagedSaver(std::string staged, image::ErrorCode code)
        : staged_(std::move(staged)), code_(code) {}

    image::ErrorCode Save(const std::string& path) override {
        if (staged_.empty()) return code_;
        if (!platform::MayReplace(path)) return image::ErrWriteFile;
        if (platform::MoveFile(staged_, path, true) == platform::MoveResult::Done)
            return image::ErrNone;
        platform::PendingFile file;
        if (const image::ErrorCode code = Copy(file, path); code != image::ErrNone) return code;
        return file.Commit() == platform::PendingFile::Result::Done ? image::ErrNone
                                                                    : image::ErrWriteFile;
    }

    image::ErrorCode SaveAsNew(std::string* path,
                               const std::function<void(std::string*)>& nextName) override {
        if (staged_.empty()) return code_;
        int attempt = 0;
        for (; attempt < 1000; ++attempt) {
            const platform::MoveResult moved = platform::MoveFile(staged_, *path, false);
            if (moved == platform::MoveResult::Done) return image::ErrNone;
            if (moved == platform::MoveResult::Failed) break;
            nextName(path);
        }
        if (attempt == 1000) return image::ErrWriteFile;
        platform::PendingFile file;
        if (const image::ErrorCode code = Copy(file, *path); code != image::ErrNone) return code;
        for (attempt = 0; attempt < 1000; ++attempt) {
            const platform::PendingFile::Result result = file.CommitNew(*path);
            if (result == platform::PendingFile::Result::Done) return image::ErrNone;
            if (result != platform::PendingFile::Result::Taken) break;
            nextName(path);
        }
        return image::ErrWriteFile;
    }

private:
    image::ErrorCode Copy(platform::PendingFile& file, const std::string& path) {
        if (!file.Begin(path)) return image::ErrOpenFile;
        const int fd = platform::OpenRegularFile(staged_);
        const bool copied = fd >= 0 && file.CopyFrom(fd);
        if (fd >= 0) close(fd);
        return copied ? image::ErrNone : image::ErrWriteFile;
    }

    std::string staged_;
    image::ErrorCode code_;
};

std::unique_ptr<BatchEngine::ThumbnailSaver> MakeStagedSaver(std::string staged,
                                                             image::ErrorCode code) {
    return std::make_unique<StagedSaver>(std::move(staged), code);
}

namespace {

// The files of the state folder that belong to shards: count -> indexes.
std::map<int, std::set<int>> FindShards(const std::string& state) {
    std::map<int, std::set<int>> found;
    std::vector<platform::DirEntry> entries;
    if (!platform::ListFolder(state, &entries)) return found;
    for (const platform::DirEntry& e : entries) {
        int index = 0, count = 0;
        if (e.kind == platform::EntryKind::Folder &&
            runstate::ParseShardFolderName(e.name, &index, &count))
            found[count].insert(index);
    }
    return found;
}

// Reads a shard's whole record: "" when it is complete and belongs to this
// plan's block `index` of `count`, else what is wrong.
std::string CheckShard(const std::string& folder, const runstate::Plan& plan, int index,
                       int count) {
    const std::string path = paths::Join(folder, runstate::kRecordFile);
    std::FILE* f = platform::OpenRegularFileStream(path);
    if (f == nullptr) return "no record (the shard has not finished)";
    std::string problem;
    {
        runstate::RecordReader reader(f);
        runstate::RecordHeader header;
        int64_t first = 0, end = 0;
        runstate::ShardRange(static_cast<int64_t>(plan.files.size()), index, count, &first, &end);
        if (!reader.ReadHeader(&header)) {
            problem = "damaged record (" + reader.problem() + ")";
        } else if (header.planId != plan.id) {
            problem = texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "its record belongs to another plan"));
        } else if (header.index != index || header.count != count || header.first != first ||
                   header.end != end) {
            problem = texts::Tr(
                QT_TRANSLATE_NOOP("vig::texts", "its record is of another part of the plan"));
        } else {
            runstate::FileOutcome outcome;
            // Cells are unpacked too: one that does not unpack to its size
            // is damage found now, not while the documents are written.
            while (problem.empty() && reader.Next(&outcome, true)) {
                if (outcome.staged && !platform::Exists(StagedPath(folder, outcome.position)))
                    problem = "the thumbnail of file " + std::to_string(outcome.position) +
                              " (" + plan.files[static_cast<size_t>(outcome.position)] +
                              ") is missing";
            }
            if (problem.empty() && !reader.complete())
                problem = "damaged record (" + reader.problem() + ")";
        }
    }
    std::fclose(f);
    return problem;
}

}  // namespace

std::string StateFolder(const options::BatchOptions& o) {
    return paths::Join(RunRoot(o), runstate::kStateFolder);
}

std::string ShardFolder(const options::BatchOptions& o, int index, int count) {
    return paths::Join(StateFolder(o), runstate::ShardFolderName(index, count));
}

std::string StagedPath(const std::string& shardFolder, int64_t position) {
    return paths::Join(shardFolder, std::to_string(position) + ".thumb");
}

BatchEngine::MergeInput::~MergeInput() {
    reader_.reset();
    if (file_ != nullptr) std::fclose(file_);
}

bool BatchEngine::MergeInput::OpenNext() {
    reader_.reset();
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (current_ >= folders_.size()) return false;
    const std::string& folder = folders_[current_++];
    file_ = platform::OpenRegularFileStream(paths::Join(folder, runstate::kRecordFile));
    if (file_ == nullptr) return false;
    reader_ = std::make_unique<runstate::RecordReader>(file_);
    return reader_->ReadHeader(&header_);
}

bool BatchEngine::MergeInput::Take(int64_t position, runstate::FileOutcome** outcome) {
    while (reader_ == nullptr || position >= header_.end) {
        if (!OpenNext()) return false;
    }
    if (!reader_->Next(&outcome_, true) || outcome_.position != position) return false;
    *outcome = &outcome_;
    return true;
}

std::string BatchEngine::MergeInput::Staged(int64_t position) const {
    return StagedPath(current_ > 0 ? folders_[current_ - 1] : std::string(), position);
}

BatchSummary BatchEngine::PlanRun() {
    RunScope scope(*this);
    const options::BatchOptions& o = options_;
    BatchSummary summary;
    platform::FolderLock lock;
    if (!PrepareFolders(nullptr, lock, summary)) return summary;

    FileList list;
    ScanSourceFolder(host_, o, o.MainSrcPath, &list, options::On(o.OutputRecurseSrc),
                     o.OutputFilterString, FilteredInputFormats(o));
    if (!platform::CanEnterFolder(o.MainSrcPath)) {
        Report(o.MainSrcPath, image::ErrChangeFolder, texts::kContextStopping, false, nullptr);
        return summary;
    }

    // A shard reads every input as it was when the plan was made. A run
    // whose thumbnail replaces a later file's input (overwrite naming into
    // the source folder) reads that thumbnail instead: such a run is one
    // machine's work.
    if (o.OutputRenameStyle != options::AutoNumericSuffix) {
        std::multimap<platform::FileIdentity, size_t> inputs;
        for (size_t i = 0; i < list.size(); ++i) {
            platform::FileIdentity id;
            if (platform::IdentityOf(paths::Join(o.MainSrcPath, list[i]), &id))
                inputs.emplace(id, i);
        }
        for (size_t i = 0; i < list.size(); ++i) {
            platform::FileIdentity id;
            if (!platform::IdentityOf(NameForFile(o, list[i]).outputPath, &id)) continue;
            const auto [first, last] = inputs.equal_range(id);
            for (auto it = first; it != last; ++it) {
                if (it->second <= i) continue;
                summary.problem =
                    FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts",
                                                       "the thumbnail of %1 would replace %2, "
                                                       "which the run reads later: run it on one "
                                                       "machine")),
                           {list[i], list[it->second]});
                return summary;
            }
        }
    }

    runstate::Plan plan;
    plan.id = runstate::NewPlanId();
    plan.settings = runstate::SettingsLines(o);
    plan.files = std::move(list);

    // A new plan starts afresh: what earlier plans and shards left goes.
    const std::string state = StateFolder(o);
    const std::string path = paths::Join(state, runstate::kPlanFile);
    platform::PendingFile file;
    std::FILE* out = nullptr;
    if (!platform::RemoveTree(state) ||
        platform::CreateFolder(state) == platform::CreateFolderResult::Failed ||
        !file.Begin(path) || (out = file.stream()) == nullptr) {
        summary.problem = FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "cannot write the plan %1")), {path});
        return summary;
    }
    const std::string text = runstate::PlanText(plan);
    std::fwrite(text.data(), 1, text.size(), out);
    if (file.Commit() != platform::PendingFile::Result::Done) {
        summary.problem = FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "cannot write the plan %1")), {path});
        return summary;
    }
    summary.finished = true;
    summary.total = static_cast<int>(plan.files.size());
    return summary;
}

BatchSummary BatchEngine::ShardRun(int index, int count) {
    RunScope scope(*this);
    options::BatchOptions& o = options_;
    BatchSummary summary;
    runstate::Plan plan;
    if (!LoadPlan(o, &plan, summary)) return summary;
    int64_t first = 0, end = 0;
    runstate::ShardRange(static_cast<int64_t>(plan.files.size()), index, count, &first, &end);
    const int total = static_cast<int>(end - first);
    summary.total = total;

    // The shard's own folder, made afresh: a shard started again redoes
    // its block. Nothing of other shards is touched.
    const std::string folder = ShardFolder(o, index, count);
    const std::string recordPath = paths::Join(folder, runstate::kRecordFile);
    if (!platform::RemoveTree(folder) ||
        platform::CreateFolder(folder) == platform::CreateFolderResult::Failed) {
        summary.problem = FillIn(
            texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "cannot make the shard's folder %1")), {folder});
        return summary;
    }

    // The merge reports an overlay that cannot be loaded; here it is off.
    image::CPxImage overlay;
    if (LoadOverlay(overlay) != image::ErrNone) {
        overlay.Free();
        o.OverlayOverlay = 0;
    }
    const bool cells = options::On(o.CompositeMakeComposite) &&
                       (o.MainResizeMethod == options::BestFit ||
                        o.MainResizeMethod == options::ExactSize || MatteApplies(o));

    image::MemoryBudget budget(RunMemoryBudget(o));
    const ThreadBudget driverBudget(&budget);
    std::vector<std::string> sources;
    sources.reserve(static_cast<size_t>(total));
    for (int64_t i = first; i < end; ++i)
        sources.push_back(paths::Join(o.MainSrcPath, plan.files[static_cast<size_t>(i)]));
    std::unique_ptr<FileWorkers> workers;
    if (total > 0) {
        const int threads = std::max(1, std::min(o.ThreadCount(), total));
        workers = std::make_unique<FileWorkers>(o, &overlay, sources, threads,
                                                kFilesInFlightPerThread * threads, &budget);
    }

    platform::PendingFile record;
    std::FILE* out = nullptr;
    if (!record.Begin(recordPath) || (out = record.stream()) == nullptr) {
        summary.problem = FillIn(
            texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "cannot write the shard's record %1")), {recordPath});
        return summary;
    }
    runstate::WriteRecordHeader(out, {plan.id, index, count, first, end});

    runstate::FileOutcome outcome;
    for (int k = 0; k < total; ++k) {
        if (host_.StopRequested()) {
            summary.stopped = true;
            break;
        }
        const std::string& input = sources[static_cast<size_t>(k)];
        host_.RunProgress(k, total, input);
        std::unique_ptr<PreparedFile> prepared = workers->Take(k, host_);
        if (!prepared && host_.StopRequested()) {
            summary.stopped = true;
            break;
        }
        // A file that found no memory beside the others, or that no worker
        // could make, is made here with the budget to itself.
        if (!prepared || prepared->code == image::ErrOutOfMemory) {
            prepared = std::make_unique<PreparedFile>(kNeverGivenUp);
            try {
                const image::FileMemoryScope memory(true);
                prepared->code = memory.ok() ? MakeThumbnail(o, input, input, &overlay,
                                                             prepared->image, prepared->steps)
                                             : image::ErrCancelled;
            } catch (const std::bad_alloc&) {
                prepared->code = image::ErrOutOfMemory;
            }
        }
        if (prepared->code == image::ErrCancelled && host_.StopRequested()) {
            summary.stopped = true;
            break;
        }

        outcome.position = first + k;
        outcome.made = prepared->code == image::ErrNone;
        outcome.code = prepared->code;
        outcome.staged = false;
        outcome.width = outcome.made ? prepared->image.width() : 0;
        outcome.height = outcome.made ? prepared->image.height() : 0;
        outcome.cellWidth = outcome.cellHeight = 0;
        outcome.cell.clear();
        if (outcome.made) {
            image::CPxImage& image = prepared->image;
            const int format = ResolveOutputFormat(o.MainOutputFormat, image.inputFormat());
            const std::string staged = StagedPath(folder, outcome.position);
            outcome.code = SaveImageFile(image, staged, format, &prepared->encoded);
            outcome.staged = outcome.code == image::ErrNone && platform::Exists(staged);
            if (cells && !image.empty()) {
                outcome.cellWidth = image.width();
                outcome.cellHeight = image.height();
                outcome.cell.assign(image.data(),
                                    image.data() + static_cast<size_t>(image.width()) *
                                                       static_cast<size_t>(image.height()) * 3);
            }
        }
        const StepRecord& steps = prepared->steps;
        // The record keeps what the steps told; its own copy, since the
        // worker's record answers to the workers' stop flag.
        outcome.steps.Clear();
        for (const StepRecord::Event& e : steps.events()) outcome.steps.Append(e.kind, e.text);
        outcome.steps.SetLoaded(steps.loadedWidth(), steps.loadedHeight(), steps.loadedTexts());
        if (!runstate::WriteOutcome(out, outcome)) {
            summary.problem = FillIn(
            texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "cannot write the shard's record %1")), {recordPath});
            return summary;
        }
        ++summary.processed;
    }
    workers.reset();
    host_.RunProgress(summary.processed, total, "");
    // A shard that stopped leaves no record: the merge then names it.
    if (summary.stopped) {
        record.Abandon();
        return summary;
    }
    runstate::WriteRecordEnd(out, total);
    if (record.Commit() != platform::PendingFile::Result::Done) {
        summary.problem = FillIn(
            texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "cannot write the shard's record %1")), {recordPath});
        return summary;
    }
    summary.finished = true;
    return summary;
}

BatchSummary BatchEngine::MergeRun() {
    BatchSummary summary;
    runstate::Plan plan;
    if (!LoadPlan(options_, &plan, summary)) return summary;

    // Every shard of one count, each with a complete record of its block;
    // otherwise nothing is written.
    const std::string state = StateFolder(options_);
    const std::map<int, std::set<int>> found = FindShards(state);
    if (found.empty()) {
        summary.problem = "no shard has run: no shard folder in " + state;
        return summary;
    }
    if (found.size() > 1) {
        summary.problem = "shards of " + std::to_string(found.begin()->first) + " and of " +
                          std::to_string(std::next(found.begin())->first) +
                          " parts in " + state + ": run the plan again";
        return summary;
    }
    const int count = found.begin()->first;
    std::vector<std::string> folders;
    for (int index = 1; index <= count; ++index) {
        const std::string folder = ShardFolder(options_, index, count);
        const std::string shard = std::to_string(index) + "/" + std::to_string(count);
        if (found.begin()->second.count(index) == 0) {
            summary.problem = FillIn(
                texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "shard %1 is missing: no folder %2")),
                {shard, folder});
            return summary;
        }
        if (const std::string problem = CheckShard(folder, plan, index, count); !problem.empty()) {
            summary.problem = FillIn(texts::Tr(QT_TRANSLATE_NOOP("vig::texts", "shard %1: %2 in %3")),
                                     {shard, problem, folder});
            return summary;
        }
        folders.push_back(folder);
    }

    MergeInput input(std::move(folders));
    summary = DocumentRun(&plan.files, &input);
    // What the run keeps between its steps goes once the merge is done.
    if (summary.finished && !summary.stopped) platform::RemoveTree(state);
    return summary;
}

}  // namespace vig::engine
