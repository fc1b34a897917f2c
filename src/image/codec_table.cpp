#include "image/codec_table.h"

#include "platform/paths.h"

namespace vig {
namespace {

// Readers in the order the extensions are tried.
constexpr ReaderEntry kReaders[] = {
    {nullptr, InputNone, nullptr},
};

constexpr WriterEntry kWriters[] = {
    {0, SaveConversion::None, nullptr},
};

}  // namespace

const ReaderEntry* FindReader(std::string_view extension) {
    for (const ReaderEntry& r : kReaders) {
        if (r.extension != nullptr && r.read != nullptr &&
            paths::EqualsIgnoringCase(extension, r.extension))
            return &r;
    }
    return nullptr;
}

const WriterEntry* FindWriter(int format) {
    for (const WriterEntry& w : kWriters) {
        if (w.write != nullptr && w.format == format) return &w;
    }
    return nullptr;
}

}  // namespace vig
