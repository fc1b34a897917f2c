// The batch engine: a batch run over a source folder, the per-file
// pipeline, the overlay loader and single-file operation. One BatchEngine
// holds the run-time state (the running flag, the options record it works
// on, the host that stands for the window); a window calls the same members
// that the command line calls.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/output_naming.h"
#include "image/error_codes.h"
#include "options/batch_options.h"

namespace vig::documents {
class DocumentGuard;
}
namespace vig::platform {
class MemoryFile;
class FolderLock;
}  // namespace vig::platform

namespace vig::image {
class CPxImage;
}
namespace vig::documents {
class CPxCompositeImg;
}

namespace vig::engine {

class RunHost;
struct PreparedFile;

struct BatchSummary {
    bool finished = false;  // false when the run stopped during preparation
    bool stopped = false;   // a stop request ended the run early
    int processed = 0;      // files finished (failed ones included)
    int total = 0;
    // A step of a run over several machines that could not go on: why
    // (no plan, a shard's record missing or damaged, other settings).
    std::string problem;
    bool settingsDiffer = false;  // the problem is settings other than the plan's
};

class BatchEngine {
public:
    BatchEngine(options::BatchOptions& options, RunHost& host) : options_(options), host_(host) {}
    BatchEngine(const BatchEngine&) = delete;
    BatchEngine& operator=(const BatchEngine&) = delete;

    // Every matching image below MainSrcPath becomes a thumbnail below
    // MainDestPath. May switch off OverlayOverlay, HTMLMakeSrcLink and
    // CompositeMakeComposite in the record when they cannot work. With more
    // than one thread (OpsThreads) worker threads read and process the
    // files ahead, while this thread does everything that keeps file order
    // (names, saving, pages, log, sheets, reports, status texts, stop
    // checks): what a run writes does not depend on the thread count.
    BatchSummary BatchRun();

    // The three steps of a run over several machines, which together write
    // what BatchRun writes. PlanRun scans, fixes the file order and writes
    // the plan into the output folder's hidden state folder. ShardRun makes
    // the thumbnails of part `index` of `count` of the plan (a contiguous
    // block of its order) and records each file's outcome; it never
    // touches another part's files. MergeRun puts the thumbnails in place
    // and writes pages, index, log and sheets from the plan and every
    // part's record, with the reports in file order; when a record is
    // missing or damaged it writes nothing. Shards and merge refuse
    // settings other than the plan's.
    BatchSummary PlanRun();
    BatchSummary ShardRun(int index, int count);
    BatchSummary MergeRun();

    // One file, the output path used as given. Reports its own failures;
    // displayPath is the path shown in them ("" shows none). Returns the
    // code of the file (0 also when the overlay failed and was switched off;
    // ErrCancelled, unreported, when a stop request ended it).
    image::ErrorCode SingleFileOperation(const std::string& input, const std::string& output,
                                         const std::string& displayPath);

    // Loads (its colours as stored, never converted by a profile), turns and
    // (with OverlayQuantize 1) posterizes the overlay; leaves the image empty
    // and answers 0 when OverlayOverlay is off.
    image::ErrorCode LoadOverlay(image::CPxImage& image);

    // One source image to one thumbnail. A stop request during the reading
    // or between steps answers ErrCancelled without saving; running out of
    // memory anywhere is ErrOutOfMemory. overlay, log, page and composite
    // may be null.
    image::ErrorCode ProcessFile(const std::string& sourcePath, const std::string& outputPath,
                                 const image::CPxImage* overlay, const std::string& displayPath,
                                 std::FILE* log, std::FILE* page, const std::string& pagePath,
                                 documents::CPxCompositeImg* composite);

    bool running() const { return running_; }
    options::BatchOptions& options() { return options_; }
    RunHost& host() { return host_; }

    // How a made thumbnail reaches its name: saved there (one machine) or
    // moved there from a shard's folder (the merge).
    class ThumbnailSaver {
    public:
        virtual ~ThumbnailSaver() = default;
        // At this name, replacing what is there.
        virtual image::ErrorCode Save(const std::string& path) = 0;
        // At the first free name from *path on (nextName gives the next);
        // *path becomes the name it got.
        virtual image::ErrorCode SaveAsNew(std::string* path,
                                           const std::function<void(std::string*)>& nextName) = 0;
    };

private:
    class RunScope;
    class HostSteps;
    class MergeInput;

    // The run on one machine (planned and merge null) or the merge: the
    // same preparation, file loop and documents; the merge takes the
    // plan's files instead of scanning and each file's outcome from the
    // shards' records instead of making it.
    BatchSummary DocumentRun(const std::vector<std::string>* planned, MergeInput* merge);
    // The part of a run's preparation the plan shares: the output folder,
    // the run's lock on its root, the output tree and the scan. False
    // (reported) when the run cannot go on.
    bool PrepareFolders(std::FILE* log, platform::FolderLock& lock, BatchSummary& summary);
    image::ErrorCode ProcessFileSteps(const std::string& sourcePath, const std::string& outputPath,
                                      const image::CPxImage* overlay,
                                      const std::string& displayPath, std::FILE* log,
                                      std::FILE* page, const std::string& pagePath,
                                      documents::CPxCompositeImg* composite);
    // What the driver does for a file once the thumbnail is made: its
    // entries, the save (of bytes encoded ahead when given) and the sheet.
    // `sheetImage` is what a contact sheet shows of it.
    image::ErrorCode FinishFile(ThumbnailSaver& saver, int width, int height,
                                const image::CPxImage& sheetImage, const std::string& outputPath,
                                const std::string& displayPath, std::FILE* log, std::FILE* page,
                                const std::string& pagePath, documents::CPxCompositeImg* composite);
    image::ErrorCode FinishMade(image::CPxImage& image, const platform::MemoryFile* encoded,
                                const std::string& outputPath, const std::string& displayPath,
                                std::FILE* log, std::FILE* page, const std::string& pagePath,
                                documents::CPxCompositeImg* composite);
    // A file a worker made: its steps told again, then finished.
    image::ErrorCode FinishPrepared(PreparedFile& file, const std::string& outputPath,
                                    const std::string& displayPath, std::FILE* log, std::FILE* page,
                                    const std::string& pagePath,
                                    documents::CPxCompositeImg* composite);
    // A file a shard made: its steps told again, its thumbnail moved to
    // its name, its entries written (the merge).
    image::ErrorCode FinishRecorded(MergeInput& merge, int index, const std::string& outputPath,
                                    const std::string& displayPath, std::FILE* log, std::FILE* page,
                                    const std::string& pagePath,
                                    documents::CPxCompositeImg* composite);
    bool Report(const std::string& file, image::ErrorCode code, const std::string& context,
                bool offerCancel, std::FILE* log);

    // While a batch run numbers its thumbnails (AutoNumericSuffix): how the
    // next free name is made, and the name chosen, then the name saved at.
    struct NumberedSave {
        std::string base, ext;
        std::string path;
    };

    options::BatchOptions& options_;
    RunHost& host_;
    NumberedSave* numbered_ = nullptr;           // the current file's, in a numbered run
    documents::DocumentGuard* guard_ = nullptr;  // the run's, while one goes on
    bool running_ = false;
    bool memoryAlone_ = false;  // the next file has the memory budget to itself
};

// True when both paths are non-empty and start with the same character,
// letter case ignored.
bool SharesCommonRoot(const std::string& a, const std::string& b);

// Saves through a file without a name in the folder of `path`, put in
// place only when the save succeeded: a failed or interrupted save leaves
// no partial file, no temporary and an existing file untouched. Something
// other than a regular file or a link at `path` (a device, a pipe) is never
// replaced (ErrWriteFile). A format without a writer writes nothing and
// answers 0. `encoded` may hold the image already encoded in `format`:
// those bytes are written instead, and should writing them fail, the image
// is saved as usual, so the outcome and its code are the same either way.
image::ErrorCode SaveImageFile(image::CPxImage& image, const std::string& path, int format,
                               const platform::MemoryFile* encoded = nullptr);

}  // namespace vig::engine
