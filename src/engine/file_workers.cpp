#include "engine/file_workers.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <system_error>

#include "engine/batch_engine.h"
#include "engine/run_host.h"
#include "image/codec_table.h"
#include "image/image_library.h"
#include "image/memory_budget.h"

namespace vig::engine {
namespace {

// While it waits for a file, the driver pumps its host's messages and looks
// for a stop request this often.
constexpr int kWaitMilliseconds = 20;

bool GivenUpCheck(void* context) {
    return static_cast<const std::atomic<bool>*>(context)->load(std::memory_order_relaxed);
}

}  // namespace

FileWorkers::FileWorkers(const options::BatchOptions& options, const image::CPxImage* overlay,
                         std::vector<std::string> sources, int threads, int window,
                         image::MemoryBudget* budget)
    : options_(options),
      overlay_(overlay),
      sources_(std::move(sources)),
      window_(std::max(window, 1)),
      budget_(budget),
      slots_(static_cast<size_t>(window_)),
      ready_(static_cast<size_t>(window_), 0) {
    threads_.reserve(static_cast<size_t>(std::max(threads, 0)));
    try {
        for (int t = 0; t < threads; ++t) threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Fewer workers than asked for; with none the driver does the work.
    }
}

FileWorkers::~FileWorkers() {
    GiveUp();
    for (std::thread& t : threads_) t.join();
}

void FileWorkers::GiveUp() {
    {
        std::lock_guard lock(mutex_);
        givenUp_ = true;
    }
    workReady_.notify_all();
}

void FileWorkers::Work() {
    // A long decode or save ends early once the run has given its files up.
    image::SetStopCheck(GivenUpCheck, &givenUp_);
    image::SetThreadMemoryBudget(budget_);
    const int total = static_cast<int>(sources_.size());
    for (;;) {
        int index = 0;
        {
            std::unique_lock lock(mutex_);
            workReady_.wait(lock,
                            [&] { return givenUp_ || next_ >= total || next_ < taken_ + window_; });
            if (givenUp_ || next_ >= total) break;
            index = next_++;
        }
        std::unique_ptr<PreparedFile> file = Prepare(index);
        {
            std::lock_guard lock(mutex_);
            slots_[static_cast<size_t>(index % window_)] = std::move(file);
            ready_[static_cast<size_t>(index % window_)] = 1;
        }
        fileReady_.notify_all();
    }
    image::SetStopCheck(nullptr, nullptr);
    image::SetThreadMemoryBudget(nullptr);
}

std::unique_ptr<PreparedFile> FileWorkers::Prepare(int index) {
    const options::BatchOptions& options = options_;
    std::unique_ptr<PreparedFile> file;
    try {
        file = std::make_unique<PreparedFile>(givenUp_);
    } catch (const std::bad_alloc&) {
        return nullptr;  // the driver makes the file itself
    }
    const std::string& source = sources_[static_cast<size_t>(index)];
    // What the file holds of the budget is given back once it is encoded.
    const image::FileMemoryScope memory;
    try {
        file->code = MakeThumbnail(options, source, source, overlay_, file->image, file->steps);
        const int format = ResolveOutputFormat(options.MainOutputFormat, file->image.inputFormat());
        if (file->code == image::ErrNone && !file->image.empty() &&
            image::FindWriter(format) != nullptr && file->encoded.Create() &&
            file->image.Save(file->encoded.writePath(), format) != image::ErrNone)
            file->encoded.Close();
    } catch (const std::bad_alloc&) {
        file->code = image::ErrOutOfMemory;
        file->image.Free();
        file->encoded.Close();
    }
    return file;
}

std::unique_ptr<PreparedFile> FileWorkers::Take(int index, RunHost& host) {
    const size_t at = static_cast<size_t>(index % window_);
    std::unique_lock lock(mutex_);
    while (!ready_[at] && !threads_.empty()) {
        lock.unlock();
        if (host.StopRequested()) return nullptr;
        host.PumpMessages(kWaitMilliseconds);
        lock.lock();
        if (!ready_[at]) fileReady_.wait_for(lock, std::chrono::milliseconds(kWaitMilliseconds));
    }
    std::unique_ptr<PreparedFile> file = std::move(slots_[at]);
    ready_[at] = 0;
    ++taken_;
    lock.unlock();
    workReady_.notify_all();
    return file;
}

}  // namespace vig::engine
