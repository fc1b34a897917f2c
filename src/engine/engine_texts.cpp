#include "engine/engine_texts.h"

namespace vig::texts {

std::string FoundFiles(size_t count) {
    return "Found " + std::to_string(count) + " files\n";
}

std::string FilesProcessed(int processed, int total) {
    return std::to_string(processed) + " of " + std::to_string(total) + " files processed";
}

std::string ProcessedSummary(int processed, int total) {
    return "Processed " + std::to_string(processed) + " of " + std::to_string(total) + " files\n";
}

std::string WaitingForFolder(const std::string& folder) {
    return "Waiting for another run writing into " + folder;
}

}  // namespace vig::texts
