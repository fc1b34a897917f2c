#include "engine/engine_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace vig::engine::texts {

std::string Tr(const char* text) {
    return Translate(kContext, text);
}

std::string FoundFiles(size_t count) {
    return FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "Found %1 files")), {std::to_string(count)}) +
           "\n";
}

std::string FilesProcessed(int processed, int total) {
    return FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "%1 of %2 files processed")),
                  {std::to_string(processed), std::to_string(total)});
}

std::string ProcessedSummary(int processed, int total) {
    return FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "Processed %1 of %2 files")),
                  {std::to_string(processed), std::to_string(total)}) +
           "\n";
}

std::string PlannedSummary(int total) {
    return FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "Planned %1 files")), {std::to_string(total)}) +
           "\n";
}

std::string ShardSummary(int index, int count, int processed, int total) {
    return FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "Shard %1/%2: processed %3 of %4 files")),
                  {std::to_string(index), std::to_string(count), std::to_string(processed),
                   std::to_string(total)}) +
           "\n";
}

const char* ProfileIgnoredReason(image::ProfileOutcome outcome) {
    switch (outcome) {
        case image::ProfileOutcome::Unreadable:
            return QT_TRANSLATE_NOOP("vig::texts", "Colour profile ignored: it could not be read");
        case image::ProfileOutcome::NotRgb:
            return QT_TRANSLATE_NOOP("vig::texts",
                                     "Colour profile ignored: it is not a profile of RGB colours");
        case image::ProfileOutcome::Unsupported:
            return QT_TRANSLATE_NOOP(
                "vig::texts", "Colour profile ignored: its colour description is not supported");
        case image::ProfileOutcome::None:
        case image::ProfileOutcome::Converted:
            break;
    }
    return nullptr;
}

std::string ProfileIgnored(const std::string& file, const char* reason) {
    return file + ": " + reason;
}

std::string ShownWarning(const std::string& warning) {
    for (const image::ProfileOutcome outcome :
         {image::ProfileOutcome::Unreadable, image::ProfileOutcome::NotRgb,
          image::ProfileOutcome::Unsupported}) {
        const std::string reason = std::string(": ") + ProfileIgnoredReason(outcome);
        if (warning.size() >= reason.size() &&
            warning.compare(warning.size() - reason.size(), reason.size(), reason) == 0)
            return warning.substr(0, warning.size() - reason.size() + 2) +
                   Tr(ProfileIgnoredReason(outcome));
    }
    return warning;
}

namespace {

// The length of the UTF-8 sequence of a printable character at text[at], 0
// when the byte there starts none: a control (C0, DEL, or C1 as U+0080 to
// U+009F), a byte that cannot start a sequence, a sequence cut short or with
// a wrong continuation, an overlong form, a surrogate or a value past U+10FFFF.
size_t PrintableLength(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    if (lead < 0x20 || lead == 0x7F) return 0;
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned low = 0x80, high = 0xBF;  // the second byte's range
    if (lead == 0xC2) {
        length = 2;
        low = 0xA0;  // C2 80 to C2 9F are the C1 controls
    } else if (lead > 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead == 0xE0) {
        length = 3;
        low = 0xA0;
    } else if (lead == 0xED) {
        length = 3;
        high = 0x9F;  // no surrogates
    } else if (lead >= 0xE1 && lead <= 0xEF) {
        length = 3;
    } else if (lead == 0xF0) {
        length = 4;
        low = 0x90;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
        length = 4;
    } else if (lead == 0xF4) {
        length = 4;
        high = 0x8F;
    } else {
        return 0;  // a continuation byte, 0xC0, 0xC1 or 0xF5 to 0xFF
    }
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

// Appends the shown form of the character at text[at] to *out and returns
// where the next one starts.
size_t AppendShown(const std::string& text, size_t at, bool keepLineBreaks, std::string* out) {
    const char c = text[at];
    if (c == '\\') {
        out->append("\\\\");
        return at + 1;
    }
    if (keepLineBreaks && (c == '\n' || c == '\t')) {
        out->push_back(c);
        return at + 1;
    }
    if (const size_t length = PrintableLength(text, at); length > 0) {
        out->append(text, at, length);
        return at + length;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned char>(c));
    out->append(escape);
    return at + 1;
}

}  // namespace

std::string ForTerminal(const std::string& text, bool keepLineBreaks) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t at = 0; at < text.size();) at = AppendShown(text, at, keepLineBreaks, &shown);
    return shown;
}

std::string ProgressLine(int done, int total, const std::string& current, double rate,
                         size_t width) {
    std::string tail;
    if (rate > 0) {
        const long left = std::lround((total - done) / rate);
        char speed[32];
        std::snprintf(speed, sizeof speed, "%.1f", rate);
        tail = " | " + FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "%1 files/s")), {speed}) + " | " +
               FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "%1 left")), {Duration(left)});
    } else {
        tail = " | " + FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "%1 files/s")), {"--"}) + " | " +
               FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "%1 left")), {"--:--"});
    }
    const std::string head = FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "%1 of %2 files")),
                                    {std::to_string(done), std::to_string(total)}) +
                             " | ";
    // The name as shown, and where each of its characters (or escapes) starts.
    std::string name;
    std::vector<size_t> starts;
    for (size_t at = 0; at < current.size();) {
        starts.push_back(name.size());
        at = AppendShown(current, at, false, &name);
    }
    const size_t fixed = head.size() + tail.size();
    const size_t room = width > fixed ? width - fixed : 0;
    if (name.size() > room) {
        if (room > 3) {
            // Shortened from the left, never inside a character or an escape.
            const auto first =
                std::lower_bound(starts.begin(), starts.end(), name.size() - (room - 3));
            name = "..." + name.substr(first == starts.end() ? name.size() : *first);
        } else {
            name.clear();
        }
    }
    std::string line = head + name + tail;
    if (line.size() > width) {
        // Never inside a character (a translated text may hold any).
        size_t cut = width;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        line.resize(cut);
    }
    return line;
}

std::string Duration(long seconds) {
    if (seconds < 0) seconds = 0;
    char text[48];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

std::string WaitingForFolder(const std::string& folder) {
    return FillIn(Tr(QT_TRANSLATE_NOOP("vig::texts", "Waiting for another run writing into %1")),
                  {folder});
}

}  // namespace vig::engine::texts
