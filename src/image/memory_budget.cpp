#include "image/memory_budget.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

#include "image/error_codes.h"
#include "image/image_library.h"
#include "image/pixel_block.h"

namespace vig::image {
namespace {

// While a thread waits for memory it looks for a stop request and lets its
// messages be handled this often.
constexpr int kWaitMilliseconds = 20;
constexpr size_t kMinimumBytes = size_t{64} << 20;

thread_local MemoryBudget* tBudget = nullptr;
thread_local bool tInScope = false;
thread_local bool tHolder = false;  // the thread counts as one of the budget's holders
thread_local size_t tHeld = 0;

// What a limit of the process leaves beyond what it uses already (`used`
// pages: its address space or its data).
size_t LimitLeft(int resource, size_t used) {
    rlimit r{};
    if (getrlimit(resource, &r) != 0 || r.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
    const size_t limit = static_cast<size_t>(r.rlim_cur);
    return limit > used ? limit - used : 0;
}

// The memory limit of the cgroup (v2) this process runs in, if any.
size_t CgroupLimit() {
    std::ifstream in("/sys/fs/cgroup/memory.max");
    std::string value;
    if (!(in >> value) || value == "max") return SIZE_MAX;
    try {
        return static_cast<size_t>(std::stoull(value));
    } catch (...) {
        return SIZE_MAX;
    }
}

}  // namespace

MemoryBudget::MemoryBudget(size_t totalBytes) : total_(std::max<size_t>(totalBytes, 1)) {}

size_t MemoryBudget::DefaultBytes() {
    size_t machine = SIZE_MAX;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        machine = static_cast<size_t>(pages) * static_cast<size_t>(pageSize);
    // Pages of the address space and of data in use now.
    size_t space = 0, resident = 0, shared = 0, text = 0, libraries = 0, data = 0;
    if (std::ifstream statm("/proc/self/statm");
        !(statm >> space >> resident >> shared >> text >> libraries >> data))
        space = data = 0;
    const size_t page = pageSize > 0 ? static_cast<size_t>(pageSize) : 4096;
    const size_t least = std::min({machine, CgroupLimit(), LimitLeft(RLIMIT_AS, space * page),
                                   LimitLeft(RLIMIT_DATA, data * page)});
    const size_t share = least == SIZE_MAX ? kMaxBlockBytes : least / 2;
    return std::clamp(share, kMinimumBytes, kMaxBlockBytes);
}

MemoryBudget::Result MemoryBudget::Acquire(size_t bytes, bool exclusive) {
    std::unique_lock lock(mutex_);
    if (bytes > total_) return Result::TooLarge;
    for (;;) {
        const bool fits = exclusive ? holders_ == 0 : !exclusive_ && used_ + bytes <= total_;
        if (fits) break;
        lock.unlock();
        if (StopRequestedNow()) return Result::Stopped;
        PumpMessagesNow(kWaitMilliseconds);
        lock.lock();
        released_.wait_for(lock, std::chrono::milliseconds(kWaitMilliseconds));
    }
    exclusive_ = exclusive;
    ++holders_;
    used_ += bytes;
    peak_ = std::max(peak_, used_);
    return Result::Reserved;
}

MemoryBudget::Result MemoryBudget::Add(size_t bytes) {
    std::lock_guard lock(mutex_);
    // Beside the others a holder may go past the budget for a while (it
    // never waits), but no reservation is ever larger than the budget.
    if (bytes > total_) return Result::TooLarge;
    used_ += bytes;
    peak_ = std::max(peak_, used_);
    return Result::Reserved;
}

void MemoryBudget::ReleaseAll(size_t bytes) {
    {
        std::lock_guard lock(mutex_);
        used_ -= std::min(bytes, used_);
        if (holders_ > 0) --holders_;
        if (holders_ == 0) exclusive_ = false;
    }
    released_.notify_all();
}

size_t MemoryBudget::used() const {
    std::lock_guard lock(mutex_);
    return used_;
}

size_t MemoryBudget::peak() const {
    std::lock_guard lock(mutex_);
    return peak_;
}

void SetThreadMemoryBudget(MemoryBudget* budget) {
    tBudget = budget;
}

FileMemoryScope::FileMemoryScope(bool exclusive) {
    tInScope = true;
    tHolder = false;
    tHeld = 0;
    if (exclusive && tBudget != nullptr) {
        ok_ = tBudget->Acquire(0, true) == MemoryBudget::Result::Reserved;
        tHolder = ok_;
    }
}

FileMemoryScope::~FileMemoryScope() {
    if (tBudget != nullptr && tHolder) tBudget->ReleaseAll(tHeld);
    tHolder = false;
    tHeld = 0;
    tInScope = false;
}

int ReserveFileMemory(size_t bytes) {
    if (tBudget == nullptr || !tInScope) return bytes <= kMaxBlockBytes ? ErrNone : ErrOutOfMemory;
    const MemoryBudget::Result result =
        tHolder ? tBudget->Add(bytes) : tBudget->Acquire(bytes, false);
    if (result == MemoryBudget::Result::Stopped) return ErrCancelled;
    if (result == MemoryBudget::Result::TooLarge) return ErrOutOfMemory;
    tHolder = true;
    tHeld += bytes;
    return ErrNone;
}

size_t FileMemoryHeld() {
    return tInScope ? tHeld : 0;
}

}  // namespace vig::image
