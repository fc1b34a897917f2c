#include "engine/batch_engine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <thread>
#include <vector>

#include "documents/batch_log.h"
#include "documents/composite.h"
#include "documents/html_pages.h"
#include "engine/engine_texts.h"
#include "engine/engine_util.h"
#include "engine/file_steps.h"
#include "engine/file_workers.h"
#include "engine/output_naming.h"
#include "engine/report.h"
#include "engine/run_parts.h"
#include "engine/run_steps.h"
#include "engine/run_files.h"
#include "engine/run_host.h"
#include "engine/source_scan.h"
#include "image/codec_table.h"
#include "image/cpx_image.h"
#include "image/image_library.h"
#include "image/memory_budget.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig::engine {
namespace {

// Files in flight for each worker thread: enough to keep every worker busy
// while the driver saves, few enough to keep memory small.
constexpr int kFilesInFlightPerThread = 2;

void PumpThroughHost(void* context, int maxMilliseconds) {
    static_cast<RunHost*>(context)->PumpMessages(maxMilliseconds);
}

bool HostStopRequested(void* context) {
    return static_cast<RunHost*>(context)->StopRequested();
}

// The inputs of a run with worker threads, by identity. A thumbnail that
// replaces a later file's input (overwrite naming into the source folder)
// makes what a worker read of that file stale: the driver then makes the
// file again itself, so it reads what a run of one thread reads.
class ReplacedInputs {
public:
    void Add(const std::string& path, int index) {
        platform::FileIdentity id;
        if (platform::IdentityOf(path, &id)) inputs_.emplace(id, index);
    }
    // Before file `index` is saved at outputPath.
    void WillReplace(const std::string& outputPath, int index) {
        platform::FileIdentity id;
        if (inputs_.empty() || !platform::IdentityOf(outputPath, &id)) return;
        const auto [first, last] = inputs_.equal_range(id);
        for (auto it = first; it != last; ++it)
            if (it->second > index) stale_.insert(it->second);
    }
    bool Stale(int index) const { return stale_.count(index) != 0; }

private:
    std::multimap<platform::FileIdentity, int> inputs_;
    std::set<int> stale_;
};

// The next free numbered name after `*outputPath` was found taken.
}  // namespace

void NextNumberedName(const options::BatchOptions& o, const std::string& base,
                      const std::string& ext, std::string* outputPath) {
    *outputPath = ApplyOutputCase(
        BuildOutputName(base, ext, o.OutputRenameStyle, o.OutputExtraText, o.OutputCase),
        o.OutputCase);
}

// Holds the run's lock on its output folder. A second run into the same
// folder waits until the first one has finished, so that pages, logs and
// numbered names of two runs never mix; a stop request ends the wait.
bool LockOutputFolder(RunHost& host, platform::FolderLock& lock, const std::string& folder) {
    bool told = false;
    for (;;) {
        // A folder that cannot be locked (a file system without locks) is
        // used unlocked.
        if (lock.TryLock(folder) != platform::FolderLock::Result::Busy) return true;
        if (!told) {
            host.Notice(texts::WaitingForFolder(folder));
            told = true;
        }
        if (host.StopRequested()) return false;
        host.PumpMessages(kStatusPumpMilliseconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

size_t RunMemoryBudget(const options::BatchOptions& o) {
    if (o.OpsMemoryLimit <= 0) return image::MemoryBudget::DefaultBytes();
    return static_cast<size_t>(
        std::min<long long>(o.OpsMemoryLimit * (1LL << 20), image::kMaxBlockBytes));
}

ThreadBudget::ThreadBudget(image::MemoryBudget* budget) {
    image::SetThreadMemoryBudget(budget);
}

ThreadBudget::~ThreadBudget() {
    image::SetThreadMemoryBudget(nullptr);
}

FileNaming NameForFile(const options::BatchOptions& o, const std::string& entry) {
    FileNaming n;
    const std::string& source = o.MainSrcPath;
    n.target = o.MainDestPath;
    if (options::On(o.OutputBranchFromSrc)) {
        const std::string inputFolder = paths::Directory(entry);
        n.target = inputFolder.empty()
                       ? paths::Join(source, o.OutputBranchPath)
                       : paths::Join(paths::Join(source, inputFolder), o.OutputBranchPath);
    }
    n.base =
        paths::Join(n.target, options::On(o.OutputDuplicateSrcTree) ? paths::WithoutExtension(entry)
                                                                    : paths::Title(entry));
    n.ext = OutputExtension(paths::Extension(entry), o.MainOutputFormat);
    n.outputPath = ApplyOutputCase(
        BuildOutputName(n.base, n.ext, o.OutputRenameStyle, o.OutputExtraText, o.OutputCase),
        o.OutputCase);
    return n;
}

std::string RunRoot(const options::BatchOptions& o) {
    return options::On(o.OutputBranchFromSrc) ? o.MainSrcPath : o.MainDestPath;
}

BatchEngine::RunScope::RunScope(BatchEngine& engine) : engine_(engine) {
    engine_.running_ = true;
    image::SetMessagePump(PumpThroughHost, &engine_.host_);
}

BatchEngine::RunScope::~RunScope() {
    engine_.numbered_ = nullptr;
    image::SetMessagePump(nullptr, nullptr);
    engine_.running_ = false;
}

// What the steps of a file tell the user, told on this thread: status texts
// (each pumping the messages), the host's stop request, the log's input
// lines, the report of a missing user curve and warnings.
class BatchEngine::HostSteps final : public StepSink {
public:
    HostSteps(BatchEngine& engine, std::FILE* log, const std::string& displayPath)
        : engine_(engine), log_(log), displayPath_(displayPath) {}

    // The steps are recorded in English (a shard's record keeps them) and
    // shown in the user's language.
    void Step(const std::string& text) override {
        ShowStepText(engine_.host_, texts::Tr(text.c_str()));
    }
    void Detail(const std::string& text) override { ShowDetailText(engine_.host_, text); }
    // A stop request may end a long decode; saving is never cut short.
    void BeginLoad() override { image::SetStopCheck(HostStopRequested, &engine_.host_); }
    void EndLoad() override { image::SetStopCheck(nullptr, nullptr); }
    bool StopRequested() override { return engine_.host_.StopRequested(); }
    void Loaded(int width, int height, const std::vector<image::PngTextEntry>& texts) override {
        if (log_ != nullptr)
            documents::WriteLogInputLines(log_, engine_.options_, displayPath_, width, height,
                                          texts);
    }
    void UserCurveMissing() override {
        engine_.Report(engine_.options_.ImageUserLUTPath, image::ErrOpenFile,
                       texts::kContextUserLut, false, nullptr);
    }
    void Warning(const std::string& text) override {
        engine_.host_.Warning(texts::ShownWarning(text));
    }

private:
    BatchEngine& engine_;
    std::FILE* log_;
    const std::string& displayPath_;
};

bool SharesCommonRoot(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && paths::FoldCase(a[0]) == paths::FoldCase(b[0]);
}

namespace {

// Writes the image (or the bytes encoded ahead) into a file begun for `path`.
image::ErrorCode WriteImageFile(image::CPxImage& image, platform::PendingFile& file,
                                const std::string& path, int format,
                                const platform::MemoryFile* encoded) {
    if (!file.Begin(path)) return image::ErrOpenFile;
    const bool ahead = encoded != nullptr && encoded->active();
    if (!ahead || !file.CopyFrom(encoded->fd())) {
        // Started afresh, so that nothing of a copy that failed remains.
        if (ahead && !file.Begin(path)) return image::ErrOpenFile;
        const image::ErrorCode code = image.Save(file.writePath(), format);
        if (code != image::ErrNone) return code;
    }
    return image::ErrNone;
}

// Saves at a numbered name that nothing holds yet: the complete file takes
// the name in one step, so a name never stands empty, not even in a run
// that is killed. A name taken meanwhile (by another program) moves the
// file on to the next free one; `*path` ends as the name used.
image::ErrorCode SaveImageFileAsNew(image::CPxImage& image, std::string* path, int format,
                                    const platform::MemoryFile* encoded,
                                    const std::function<void(std::string*)>& nextName) {
    if (image.empty()) return image::ErrParameter;
    if (image::FindWriter(format) == nullptr) return image::ErrNone;
    platform::PendingFile file;
    if (const image::ErrorCode code = WriteImageFile(image, file, *path, format, encoded);
        code != image::ErrNone)
        return code;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const platform::PendingFile::Result result = file.CommitNew(*path);
        if (result == platform::PendingFile::Result::Done) return image::ErrNone;
        if (result != platform::PendingFile::Result::Taken) break;
        nextName(path);
    }
    return image::ErrWriteFile;
}

}  // namespace

image::ErrorCode SaveImageFile(image::CPxImage& image, const std::string& path, int format,
                               const platform::MemoryFile* encoded) {
    if (image.empty()) return image::ErrParameter;
    if (image::FindWriter(format) == nullptr) return image::ErrNone;
    if (!platform::MayReplace(path)) return image::ErrWriteFile;
    platform::PendingFile file;
    if (const image::ErrorCode code = WriteImageFile(image, file, path, format, encoded);
        code != image::ErrNone)
        return code;
    return file.Commit() == platform::PendingFile::Result::Done ? image::ErrNone
                                                                : image::ErrWriteFile;
}

bool BatchEngine::Report(const std::string& file, image::ErrorCode code, const std::string& context,
                         bool offerCancel, std::FILE* log) {
    return ReportError(host_, options::On(options_.OpsSilentOperation), file, code, context,
                       offerCancel, log);
}

image::ErrorCode BatchEngine::LoadOverlay(image::CPxImage& image) {
    if (!options::On(options_.OverlayOverlay)) return image::ErrNone;
    ShowStepText(host_, texts::Tr(texts::kLoadingOverlay));
    // The logo's colours as stored, whatever its profile: its transparent
    // colour is keyed out by exact value.
    image::DecodeHints hints;
    hints.convertProfiles = image::ProfileConversion::None;
    image::DecodeInfo info;
    image::ErrorCode code = image.Load(options_.OverlayPath, hints, &info);
    if (code != image::ErrNone) return code;
    code = image.Rotate(options_.OverlayRotation);
    if (code != image::ErrNone) return code;
    if (options_.OverlayQuantize != 1) return image::ErrNone;
    return image.Posterize(options_.OverlayQuantizeColors, options_.OverlayTransColor);
}

image::ErrorCode BatchEngine::ProcessFile(const std::string& sourcePath,
                                          const std::string& outputPath,
                                          const image::CPxImage* overlay,
                                          const std::string& displayPath, std::FILE* log,
                                          std::FILE* page, const std::string& pagePath,
                                          documents::CPxCompositeImg* composite) {
    // Running out of memory anywhere in one file fails that file alone.
    try {
        return ProcessFileSteps(sourcePath, outputPath, overlay, displayPath, log, page, pagePath,
                                composite);
    } catch (const std::bad_alloc&) {
        return image::ErrOutOfMemory;
    }
}

image::ErrorCode BatchEngine::ProcessFileSteps(const std::string& sourcePath,
                                               const std::string& outputPath,
                                               const image::CPxImage* overlay,
                                               const std::string& displayPath, std::FILE* log,
                                               std::FILE* page, const std::string& pagePath,
                                               documents::CPxCompositeImg* composite) {
    const image::FileMemoryScope memory(memoryAlone_);
    if (!memory.ok()) return image::ErrCancelled;
    image::CPxImage image;
    HostSteps steps(*this, log, displayPath);
    const image::ErrorCode code =
        MakeThumbnail(options_, sourcePath, displayPath, overlay, image, steps);
    if (code != image::ErrNone) return code;
    return FinishMade(image, nullptr, outputPath, displayPath, log, page, pagePath, composite);
}

image::ErrorCode BatchEngine::FinishPrepared(PreparedFile& file, const std::string& outputPath,
                                             const std::string& displayPath, std::FILE* log,
                                             std::FILE* page, const std::string& pagePath,
                                             documents::CPxCompositeImg* composite) {
    try {
        HostSteps steps(*this, log, displayPath);
        const image::ErrorCode code = file.steps.Replay(steps, file.code);
        if (code != image::ErrNone) return code;
        return FinishMade(file.image, &file.encoded, outputPath, displayPath, log, page, pagePath,
                          composite);
    } catch (const std::bad_alloc&) {
        return image::ErrOutOfMemory;
    }
}

namespace {

// Saves a thumbnail made on this machine (or the bytes a worker encoded).
class ImageSaver final : public BatchEngine::ThumbnailSaver {
public:
    ImageSaver(image::CPxImage& image, int format, const platform::MemoryFile* encoded)
        : image_(image), format_(format), encoded_(encoded) {}
    image::ErrorCode Save(const std::string& path) override {
        return SaveImageFile(image_, path, format_, encoded_);
    }
    image::ErrorCode SaveAsNew(std::string* path,
                               const std::function<void(std::string*)>& nextName) override {
        return SaveImageFileAsNew(image_, path, format_, encoded_, nextName);
    }

private:
    image::CPxImage& image_;
    int format_;
    const platform::MemoryFile* encoded_;
};

}  // namespace

image::ErrorCode BatchEngine::FinishMade(image::CPxImage& image,
                                         const platform::MemoryFile* encoded,
                                         const std::string& outputPath,
                                         const std::string& displayPath, std::FILE* log,
                                         std::FILE* page, const std::string& pagePath,
                                         documents::CPxCompositeImg* composite) {
    ImageSaver saver(image, ResolveOutputFormat(options_.MainOutputFormat, image.inputFormat()),
                     encoded);
    return FinishFile(saver, image.width(), image.height(), image, outputPath, displayPath, log,
                      page, pagePath, composite);
}

image::ErrorCode BatchEngine::FinishFile(ThumbnailSaver& saver, int width, int height,
                                         const image::CPxImage& sheetImage,
                                         const std::string& outputPath,
                                         const std::string& displayPath, std::FILE* log,
                                         std::FILE* page, const std::string& pagePath,
                                         documents::CPxCompositeImg* composite) {
    const options::BatchOptions& o = options_;
    std::string savedPath = outputPath;
    const auto save = [&] {
        ShowStepText(host_, texts::Tr(texts::kSaving));
        ShowDetailText(host_, outputPath);
        if (numbered_ == nullptr) return saver.Save(outputPath);
        const image::ErrorCode code = saver.SaveAsNew(&savedPath, [&](std::string* path) {
            NextNumberedName(o, numbered_->base, numbered_->ext, path);
        });
        numbered_->path = savedPath;
        return code;
    };
    // A numbered thumbnail gets its name as it is saved: its entries give
    // the name it got.
    image::ErrorCode result = numbered_ != nullptr ? save() : image::ErrNone;
    if (log != nullptr) documents::WriteLogOutputLine(log, o, savedPath, width, height);
    if (options::On(o.HTMLLog) && page != nullptr) {
        if (options::On(o.HTMLTable)) std::fputs(texts::kCellStart, page);
        documents::WriteThumbnailEntry(page, savedPath, displayPath, width, height, pagePath, o,
                                       guard_ != nullptr ? *guard_ : documents::NoGuard());
        if (options::On(o.HTMLTable)) std::fputs(texts::kCellEnd, page);
    }
    if (numbered_ == nullptr) result = save();

    if (options::On(o.CompositeMakeComposite) && composite != nullptr && !composite->empty() &&
        !composite->IsFull()) {
        const std::string label =
            options::On(o.CompositeWriteFileName) ? paths::FileName(savedPath) : std::string();
        const image::ErrorCode code = composite->AddImage(sheetImage, label);
        if (code != image::ErrNone) Report("", code, texts::kContextAddComposite, false, nullptr);
    }
    return result;
}

image::ErrorCode BatchEngine::FinishRecorded(MergeInput& merge, int index,
                                             const std::string& outputPath,
                                             const std::string& displayPath, std::FILE* log,
                                             std::FILE* page, const std::string& pagePath,
                                             documents::CPxCompositeImg* composite) {
    try {
        runstate::FileOutcome* outcome = nullptr;
        if (!merge.Take(index, &outcome)) return image::ErrReadFile;
        HostSteps steps(*this, log, displayPath);
        const image::ErrorCode code =
            outcome->steps.Replay(steps, outcome->made ? image::ErrNone : outcome->code);
        if (code != image::ErrNone) return code;
        image::CPxImage cell;
        if (outcome->cellWidth > 0) {
            image::PixelBlock pixels;
            if (!pixels.AllocateRgb(outcome->cellWidth, outcome->cellHeight))
                return image::ErrOutOfMemory;
            std::memcpy(pixels.data(), outcome->cell.data(), pixels.size());
            cell.Adopt(std::move(pixels), outcome->cellWidth, outcome->cellHeight);
        }
        const std::unique_ptr<ThumbnailSaver> saver =
            MakeStagedSaver(outcome->staged ? merge.Staged(index) : std::string(), outcome->code);
        return FinishFile(*saver, outcome->width, outcome->height, cell, outputPath, displayPath,
                          log, page, pagePath, composite);
    } catch (const std::bad_alloc&) {
        return image::ErrOutOfMemory;
    }
}

image::ErrorCode BatchEngine::SingleFileOperation(const std::string& input,
                                                  const std::string& output,
                                                  const std::string& displayPath) {
    RunScope scope(*this);
    image::CPxImage overlay;
    image::ErrorCode code = LoadOverlay(overlay);
    if (code != image::ErrNone) {
        if (Report(options_.OverlayPath, code, texts::kContextSingleOverlay, true, nullptr))
            return code;
        options_.OverlayOverlay = 0;
    }
    code = ProcessFile(input, output, &overlay, displayPath, nullptr, nullptr, "", nullptr);
    if (code == image::ErrCancelled && host_.StopRequested()) return code;
    if (code != image::ErrNone) Report(displayPath, code, texts::kContextSingleFile, true, nullptr);
    return code;
}

BatchSummary BatchEngine::BatchRun() {
    return DocumentRun(nullptr, nullptr);
}

bool BatchEngine::PrepareFolders(std::FILE* log, platform::FolderLock& lock,
                                 BatchSummary& summary) {
    const options::BatchOptions& o = options_;
    const std::string& source = o.MainSrcPath;
    const std::string& output = o.MainDestPath;
    if (options::On(o.OutputCreateFolder) && !CreateFolderPath(output)) {
        Report(output, image::ErrCreateOutputDir, texts::kContextStoppingOutputFolder, false, log);
        return false;
    }

    // One run at a time writes into a folder.
    if (!LockOutputFolder(host_, lock, RunRoot(o))) {
        summary.stopped = true;
        return false;
    }

    if (options::On(o.OutputDuplicateSrcTree) && options::On(o.OutputRecurseSrc)) {
        const bool ok = CreateOutputTree(host_, o, source, output);
        ShowStepText(host_, "");
        if (!ok) {
            Report(output, image::ErrCreateOutputTree, texts::kContextStopping, false, log);
            return false;
        }
    }
    return true;
}

BatchSummary BatchEngine::DocumentRun(const std::vector<std::string>* planned, MergeInput* merge) {
    RunScope scope(*this);
    options::BatchOptions& o = options_;
    BatchSummary summary;
    const std::string& source = o.MainSrcPath;
    const std::string& output = o.MainDestPath;

    // The run's files: no page, index, log or sheet replaces an input or a
    // file the run wrote. The guard stays with the engine for the run.
    RunFiles files(host_, options::On(o.OpsSilentOperation));
    struct GuardScope {
        documents::DocumentGuard*& slot;
        ~GuardScope() { slot = nullptr; }
    } guardScope{guard_};
    guard_ = &files;

    // The log reaches its file as the run goes on (the lines of each file
    // when it is finished) and is closed whichever way the run ends.
    documents::BatchLog batchLog;
    batchLog.Open(o, std::time(nullptr), files);
    std::FILE* const log = batchLog.file();
    files.SetLog(log);
    struct LogFinisher {
        documents::BatchLog& log;
        RunFiles& files;
        ~LogFinisher() {
            files.SetLog(nullptr);
            log.Finish();
        }
    } logFinisher{batchLog, files};

    // Only the window asks; a headless run has nobody to ask.
    const bool overwriteStyle = o.OutputRenameStyle != options::TextPrefix &&
                                o.OutputRenameStyle != options::TextSuffix &&
                                o.OutputRenameStyle != options::AutoNumericSuffix;
    if (host_.HasWindow() && paths::EqualsIgnoringCase(source, output) && overwriteStyle &&
        !options::On(o.OpsSilentOperation)) {
        if (!host_.AskYesNo(texts::Tr(texts::kOverwriteQuestion))) return summary;
    }

    // The plan made the output folders and its lock ended with it; the
    // merge takes the lock again for the documents.
    const std::string root = RunRoot(o);
    platform::FolderLock lock;
    if (planned == nullptr) {
        if (!PrepareFolders(log, lock, summary)) return summary;
    } else if (!LockOutputFolder(host_, lock, root)) {
        summary.stopped = true;
        return summary;
    }

    if (host_.HasWindow()) host_.SetProgressText(texts::Tr(texts::kScanningForFiles));
    FileList list;
    if (planned != nullptr)
        list = *planned;
    else
        ScanSourceFolder(host_, o, source, &list, options::On(o.OutputRecurseSrc),
                         o.OutputFilterString, FilteredInputFormats(o));
    list.shrink_to_fit();
    const int total = static_cast<int>(list.size());
    summary.total = total;

    // Source files are opened by their full paths from here on; the folder
    // must be one that could be made current.
    if (!platform::CanEnterFolder(source)) {
        Report(source, image::ErrChangeFolder, texts::kContextStopping, false, log);
        return summary;
    }
    for (const std::string& entry : list) files.AddInput(paths::Join(source, entry));

    image::CPxImage overlay;
    if (const image::ErrorCode code = LoadOverlay(overlay); code != image::ErrNone) {
        if (Report(o.OverlayPath, code, texts::kContextOverlayRun, true, log)) return summary;
        o.OverlayOverlay = 0;
    }

    // Links need a folder both paths share: on this system every full path
    // shares the root, so relative folders are compared in full.
    if (options::On(o.HTMLLog) && options::On(o.HTMLMakeSrcLink) &&
        !options::On(o.OutputBranchFromSrc) &&
        !SharesCommonRoot(platform::AbsolutePath(source), platform::AbsolutePath(output))) {
        if (Report("", image::ErrNoCommonRoot, texts::kContextHtmlLinksOff, true, log))
            return summary;
        o.HTMLMakeSrcLink = 0;
    }

    documents::CPxCompositeImg composite;
    if (options::On(o.CompositeMakeComposite)) {
        if (o.MainResizeMethod == options::BestFit || o.MainResizeMethod == options::ExactSize ||
            MatteApplies(o)) {
            const image::ErrorCode code = composite.Setup(
                o.MainWidth, o.MainHeight, o.CompositeCols, o.CompositeRows, o.CompositeBackColor,
                o.CompositeFontName, o.CompositeFontSize, o.CompositeTextColor);
            if (code != image::ErrNone && Report("", code, texts::kContextCompositeInit, true, log))
                return summary;
        } else {
            if (Report("", image::ErrCompositeMethod, texts::kContextCompositeOff, true, log))
                return summary;
            o.CompositeMakeComposite = 0;
        }
    }

    std::string compositeFolder;
    int compositeNumber = 0;
    // A sheet is written only when it holds a thumbnail; its number
    // advances with every sheet written. A sheet never replaces an input or
    // a file of the run, and one that cannot be saved is reported.
    const auto flushComposite = [&](const std::string& nextFolder) {
        if (composite.count() > 0) {
            const std::string folder = options::On(o.CompositeWriteToRoot)
                                           ? paths::StripTrailingSeparator(root)
                                           : compositeFolder;
            const std::string name =
                paths::Join(folder, o.CompositeBaseName + std::to_string(compositeNumber) +
                                        FormatExtension(o.CompositeFormat));
            if (!files.MayWrite(name)) {
                Report(name, image::ErrWouldReplace, texts::kContextSaveComposite, false, log);
            } else if (const image::ErrorCode code =
                           SaveImageFile(composite, name, o.CompositeFormat);
                       code != image::ErrNone) {
                Report(name, code, texts::kContextSaveComposite, false, log);
            } else {
                files.Written(name);
            }
            composite.Reset();
            ++compositeNumber;
        }
        compositeFolder = nextFolder;
    };

    // One memory budget for all the files in hand, whatever the thread count.
    image::MemoryBudget budget(RunMemoryBudget(o));
    const ThreadBudget driverBudget(&budget);

    // With more than one thread, workers read and process the files ahead;
    // they start only now, with the settings as the preparation left them.
    std::unique_ptr<FileWorkers> workers;
    ReplacedInputs replaced;
    if (const int threads = std::min(o.ThreadCount(), total); threads > 1 && merge == nullptr) {
        std::vector<std::string> sources;
        sources.reserve(list.size());
        for (const std::string& entry : list) {
            sources.push_back(paths::Join(source, entry));
            replaced.Add(sources.back(), static_cast<int>(sources.size()) - 1);
        }
        workers = std::make_unique<FileWorkers>(o, &overlay, std::move(sources), threads,
                                                kFilesInFlightPerThread * threads, &budget);
    }

    // The preparation's lines; a new log takes the old one's place here.
    batchLog.Flush();
    documents::HtmlPageSeries pages(o, files);
    int processed = 0;
    for (int i = 0; i < total; ++i) {
        const std::string& entry = list[static_cast<size_t>(i)];
        const std::string inputFull = paths::Join(source, entry);
        if (host_.StopRequested()) {
            summary.stopped = true;
            break;
        }
        host_.RunProgress(processed, total, inputFull);

        const FileNaming naming = NameForFile(o, entry);
        if (options::On(o.OutputBranchFromSrc) && !CreateFolderPath(naming.target)) {
            Report(naming.target, image::ErrCreateOutputDir, texts::kContextStopping, false, log);
            break;
        }
        const std::string& base = naming.base;
        const std::string& ext = naming.ext;
        std::string outputPath = naming.outputPath;
        // A numbered name is taken only by the complete thumbnail.
        NumberedSave numbered{base, ext, outputPath};
        numbered_ = o.OutputRenameStyle == options::AutoNumericSuffix ? &numbered : nullptr;

        if (options::On(o.HTMLLog)) pages.BeginPageForFile(outputPath, i);

        if (options::On(o.CompositeMakeComposite) && !composite.empty()) {
            const std::string outputFolder = paths::Directory(outputPath);
            bool due = composite.IsFull();
            if (compositeFolder.empty()) compositeFolder = outputFolder;
            if (outputFolder != compositeFolder && !options::On(o.CompositeWriteToRoot)) due = true;
            if (due) flushComposite(outputFolder);
        }

        image::ErrorCode code = image::ErrCancelled;
        std::unique_ptr<PreparedFile> prepared;
        if (workers) {
            prepared = workers->Take(i, host_);
            if (replaced.Stale(i)) prepared.reset();
            // Memory that ran out beside other files may be there for the
            // file alone: it is made again with the budget to itself, so a
            // run on several threads fails no file that one thread makes.
            if (prepared && prepared->code == image::ErrOutOfMemory) {
                prepared.reset();
                memoryAlone_ = true;
            }
            replaced.WillReplace(outputPath, i);
        }
        if (merge != nullptr) {
            code = FinishRecorded(*merge, i, outputPath, inputFull, log, pages.page(),
                                  pages.pagePath(), &composite);
        } else if (prepared) {
            code = FinishPrepared(*prepared, outputPath, inputFull, log, pages.page(),
                                  pages.pagePath(), &composite);
        } else if (!workers || !host_.StopRequested()) {
            code = ProcessFile(inputFull, outputPath, &overlay, inputFull, log, pages.page(),
                               pages.pagePath(), &composite);
        }
        prepared.reset();
        memoryAlone_ = false;
        if (numbered_ != nullptr) outputPath = numbered.path;
        numbered_ = nullptr;
        if (code == image::ErrCancelled && host_.StopRequested()) {
            summary.stopped = true;
            break;
        }
        if (code != image::ErrNone) {
            if (log != nullptr) documents::WriteLogErrorLine(log, code);
            if (options::On(o.HTMLLog)) pages.WriteErrorEntry(paths::FileName(entry));
            if (Report(inputFull, code, texts::kContextFileProcess, true, log)) break;
        } else {
            files.Written(outputPath);
        }
        ++processed;
        if (host_.HasWindow()) host_.SetProgressText(texts::FilesProcessed(processed, total));
        batchLog.Flush();
    }

    // Nothing after the loop's last file is made any further.
    workers.reset();
    host_.RunProgress(processed, total, "");

    if (options::On(o.CompositeMakeComposite) && !composite.empty())
        flushComposite(compositeFolder);
    if (options::On(o.HTMLLog)) pages.EndPageSeries(root);
    files.SetLog(nullptr);
    batchLog.Finish();
    ShowDetailText(host_, "");
    ShowStepText(host_, texts::ProcessedSummary(processed, total));
    summary.finished = true;
    summary.processed = processed;
    return summary;
}

}  // namespace vig::engine
