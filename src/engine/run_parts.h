// What the steps of a batch run share inside the engine: the thumbnail
// name of each file, the run's root and its lock, the memory budget.
#pragma once

#include <string>

namespace vig::platform {
class FolderLock;
}

namespace vig::options {
struct BatchOptions;
}
namespace vig::image {
class MemoryBudget;
}

namespace vig::engine {

class RunHost;

// Where a file of the run goes: the folder of its thumbnail, the name
// before the rename style (base) and extension, and its name. A numbered
// name is the first one free now.
struct FileNaming {
    std::string target, base, ext, outputPath;
};
FileNaming NameForFile(const options::BatchOptions& options, const std::string& entry);

// The next free numbered name after `*outputPath` was found taken.
void NextNumberedName(const options::BatchOptions& options, const std::string& base,
                      const std::string& ext, std::string* outputPath);

// The folder a run locks and keeps its state in: the output folder, or the
// source folder when thumbnails go to branch folders beside the pictures.
std::string RunRoot(const options::BatchOptions& options);

// Holds the run's lock on its output folder. A second run into the same
// folder waits until the first one has finished; a stop request ends the
// wait (false).
bool LockOutputFolder(RunHost& host, platform::FolderLock& lock, const std::string& folder);

size_t RunMemoryBudget(const options::BatchOptions& options);

// The run's budget for the readers of this thread, for as long as it lives.
class ThreadBudget {
public:
    explicit ThreadBudget(image::MemoryBudget* budget);
    ~ThreadBudget();
    ThreadBudget(const ThreadBudget&) = delete;
    ThreadBudget& operator=(const ThreadBudget&) = delete;
};

}  // namespace vig::engine
