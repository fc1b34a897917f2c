// Worker threads that make the thumbnails of a run's files ahead of the
// driver: each takes the next file of the list, reads and processes it and
// encodes the thumbnail into memory, with no name anywhere yet. The driver
// takes the results in file order and does everything that must stay in
// order itself. At most `window` files are in flight, taken or not, so
// memory stays bounded whatever the number of files.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/file_steps.h"
#include "image/cpx_image.h"
#include "options/batch_options.h"
#include "platform/files.h"

namespace vig::image {
class MemoryBudget;
}

namespace vig::engine {

class RunHost;

// One file made ready by a worker.
struct PreparedFile {
    explicit PreparedFile(const std::atomic<bool>& givenUp) : steps(givenUp) {}

    StepRecord steps;          // what the driver tells the user for it
    image::ErrorCode code = image::ErrNone;  // of the steps
    image::CPxImage image;                   // the thumbnail, when the steps succeeded
    // The thumbnail encoded in its save format; inactive when it was not
    // (the driver then saves the image itself, with the same outcome).
    platform::MemoryFile encoded;
};

class FileWorkers {
public:
    // Starts `threads` workers over `sources` (full paths, in file order).
    // The settings are copied; `overlay` (may be null) and `budget` (the
    // memory the files in hand share; may be null) must outlive this.
    FileWorkers(const options::BatchOptions& options, const image::CPxImage* overlay,
                std::vector<std::string> sources, int threads, int window,
                image::MemoryBudget* budget = nullptr);
    ~FileWorkers();  // gives up what is left and waits for the workers
    FileWorkers(const FileWorkers&) = delete;
    FileWorkers& operator=(const FileWorkers&) = delete;

    // The result of file `index`, taken in order 0, 1, 2 ... Waits for it
    // while pumping the host's messages. nullptr when a stop request came
    // first, or when no worker could make it (no thread could be started,
    // no memory): the driver then makes the file itself.
    std::unique_ptr<PreparedFile> Take(int index, RunHost& host);

    // Ends the work: files not finished are given up.
    void GiveUp();

private:
    void Work();
    std::unique_ptr<PreparedFile> Prepare(int index);

    const options::BatchOptions options_;
    const image::CPxImage* overlay_;
    const std::vector<std::string> sources_;
    const int window_;
    image::MemoryBudget* const budget_;
    std::atomic<bool> givenUp_{false};

    std::mutex mutex_;
    std::condition_variable workReady_;                 // a slot came free, or the end
    std::condition_variable fileReady_;                 // a file is done
    std::vector<std::unique_ptr<PreparedFile>> slots_;  // file i in slot i % window
    std::vector<char> ready_;                           // the slot's file is done
    int next_ = 0;                                      // the next file to hand out
    int taken_ = 0;                                     // files the driver has taken
    std::vector<std::thread> threads_;
};

}  // namespace vig::engine
