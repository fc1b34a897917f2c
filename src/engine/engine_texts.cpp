#include "engine/engine_texts.h"

#include <cmath>
#include <cstdio>

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

std::string ProgressLine(int done, int total, const std::string& current, double rate,
                         size_t width) {
    char tail[96];
    if (rate > 0) {
        const long left = std::lround((total - done) / rate);
        if (left >= 3600)
            std::snprintf(tail, sizeof tail, " | %.1f files/s | %ld:%02ld:%02ld left", rate,
                          left / 3600, left / 60 % 60, left % 60);
        else
            std::snprintf(tail, sizeof tail, " | %.1f files/s | %ld:%02ld left", rate, left / 60,
                          left % 60);
    } else {
        std::snprintf(tail, sizeof tail, " | -- files/s | --:-- left");
    }
    const std::string head = std::to_string(done) + " of " + std::to_string(total) + " files | ";
    std::string name = current;
    const size_t fixed = head.size() + std::char_traits<char>::length(tail);
    const size_t room = width > fixed ? width - fixed : 0;
    if (name.size() > room) {
        size_t from = name.size() - (room > 3 ? room - 3 : 0);
        // Never start inside a character of several bytes.
        while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80)
            ++from;
        name = room > 3 ? "..." + name.substr(from) : "";
    }
    std::string line = head + name + tail;
    if (line.size() > width) line.resize(width);
    return line;
}

std::string WaitingForFolder(const std::string& folder) {
    return "Waiting for another run writing into " + folder;
}

}  // namespace vig::texts
