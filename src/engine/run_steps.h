// Inside the engine: how the merge reads the shards' outcomes, file by
// file in plan order, and where a shard keeps a file's thumbnail until the
// merge moves it to its name.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/batch_engine.h"
#include "engine/run_state.h"

namespace vig::engine {

// The state folder of a run (in its root) and a shard's folder in it.
std::string StateFolder(const options::BatchOptions& options);
std::string ShardFolder(const options::BatchOptions& options, int index, int count);
// The thumbnail of plan position `position` in a shard's folder.
std::string StagedPath(const std::string& shardFolder, int64_t position);

// Holds the running flag and the image library's message pump for the
// length of one run, step or single-file operation.
class BatchEngine::RunScope {
public:
    explicit RunScope(BatchEngine& engine);
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    BatchEngine& engine_;
};

// Moves the thumbnail a shard left at `staged` to its name ("" when the
// shard left none: its save failed with `code`, or the format has no
// writer, then `code` is 0).
std::unique_ptr<BatchEngine::ThumbnailSaver> MakeStagedSaver(std::string staged,
                                                             image::ErrorCode code);

class BatchEngine::MergeInput {
public:
    // The shards' folders in order, each holding a checked record of one
    // block of the plan, the blocks following each other.
    explicit MergeInput(std::vector<std::string> shardFolders)
        : folders_(std::move(shardFolders)) {}
    ~MergeInput();
    MergeInput(const MergeInput&) = delete;
    MergeInput& operator=(const MergeInput&) = delete;

    // The outcome of plan position `position`, taken in order. False when
    // the record cannot be read after all.
    bool Take(int64_t position, runstate::FileOutcome** outcome);
    // Where that file's thumbnail waits.
    std::string Staged(int64_t position) const;

private:
    bool OpenNext();

    std::vector<std::string> folders_;
    size_t current_ = 0;  // folders_[current_ - 1] is open
    std::FILE* file_ = nullptr;
    std::unique_ptr<runstate::RecordReader> reader_;
    runstate::RecordHeader header_;
    runstate::FileOutcome outcome_;
};

}  // namespace vig::engine
