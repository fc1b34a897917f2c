// A fresh pixel block of many megabytes costs one page fault per 4 KB page
// as a decoder first writes it, which for a 12-megapixel picture takes as
// long as a third of the JPEG decode itself. Asking for transparent huge
// pages before the first write makes those faults 512 times rarer. It is only
// a hint: where the system does not take it nothing changes.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace vig {

inline void AdviseHugePages(uint8_t* data, size_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    if (data == nullptr || size < 2 * kHugePage) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace vig
