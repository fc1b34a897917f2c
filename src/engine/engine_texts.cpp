#include "engine/engine_texts.h"

#include <cstdio>

namespace vig::texts {

std::string FoundFiles(size_t count) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Found %zu files\n", count);
    return buf;
}

std::string FilesProcessed(int processed, int total) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d of %d files processed", processed, total);
    return buf;
}

std::string ProcessedSummary(int processed, int total) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Processed %d of %d files\n", processed, total);
    return buf;
}

}  // namespace vig::texts
