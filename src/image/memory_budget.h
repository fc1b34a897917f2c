// One memory budget for all the threads of a run. Before a reader allocates
// a picture (it knows the size from the header) it reserves the bytes the
// decoding will hold; they are given back when the file is done. A thread
// whose reservation does not fit beside what other threads hold waits for
// them; a reservation larger than the whole budget cannot be had at all
// (the reader then fails with ErrOutOfMemory, as for a picture beyond the
// block cap). So the memory of a run does not grow with its thread count,
// and what one thread converts, several convert too.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace vig::image {

class MemoryBudget {
public:
    explicit MemoryBudget(size_t totalBytes);
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // A share of this machine's memory for one run: half of the physical
    // memory, of a cgroup's memory limit and of the address-space and data
    // limits (whichever is least), never above the block cap (kMaxBlockBytes)
    // and never below 64 MB.
    static size_t DefaultBytes();

    enum class Result { Reserved, TooLarge, Stopped };
    // Makes the calling thread a holder of `bytes`: waits until they fit
    // beside what the other holders have (looking at the thread's stop check
    // and pumping its messages meanwhile). With `exclusive` it waits until
    // there is no other holder and keeps every other thread waiting until it
    // has given everything back.
    Result Acquire(size_t bytes, bool exclusive);
    // More for a thread that already holds some: taken at once, so that no
    // two holders ever wait on each other (TooLarge only beyond the budget).
    Result Add(size_t bytes);
    // A holder gives back everything it holds.
    void ReleaseAll(size_t bytes);

    size_t total() const { return total_; }
    size_t used() const;
    size_t peak() const;  // the most held at once

private:
    const size_t total_;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    size_t used_ = 0;
    size_t peak_ = 0;
    int holders_ = 0;         // threads holding anything
    bool exclusive_ = false;  // one thread holds the budget alone
};

// The budget the calling thread's readers reserve from (none by default:
// reservations then always succeed up to the block cap).
void SetThreadMemoryBudget(MemoryBudget* budget);

// What one file holds of the thread's budget: reservations made while it
// lives are given back together when it ends. Scopes do not nest.
class FileMemoryScope {
public:
    explicit FileMemoryScope(bool exclusive = false);
    ~FileMemoryScope();
    FileMemoryScope(const FileMemoryScope&) = delete;
    FileMemoryScope& operator=(const FileMemoryScope&) = delete;
    // False when the exclusive hold could not be had (a stop request).
    bool ok() const { return ok_; }

private:
    bool ok_ = true;
};

// For readers: reserves `bytes` for the file in hand. ErrNone, or
// ErrOutOfMemory when they exceed the budget (or the block cap when there is
// no budget), or ErrCancelled when a stop request ended the wait.
int ReserveFileMemory(size_t bytes);
// What the file in hand holds (0 outside a scope).
size_t FileMemoryHeld();

}  // namespace vig::image
