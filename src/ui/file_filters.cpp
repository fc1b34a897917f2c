#include "ui/file_filters.h"

#include <string>

#include "image/codec_table.h"
#include "platform/paths.h"
#include "ui/window_texts.h"

namespace vig::ui {
namespace {

// The patterns of some extensions: lower-case ones first, then upper-case.
QString Patterns(const std::vector<std::string>& extensions, PatternCase patternCase) {
    QStringList lower, upper;
    for (const std::string& ext : extensions) {
        lower << QStringLiteral("*") + QString::fromStdString(ext);
        upper << QStringLiteral("*") + QString::fromStdString(paths::ToUpperAscii(ext));
    }
    return (patternCase == PatternCase::Both ? lower + upper : upper).join(QLatin1Char(' '));
}

}  // namespace

QStringList PictureFileFilters(PatternCase patternCase, int leaveOut) {
    std::vector<std::string> every;
    QStringList entries;
    for (const image::InputFormatEntry& f : image::InputFormats()) {
        if (f.inputFormat == leaveOut) continue;
        const std::vector<std::string> extensions = image::ExtensionsOf(f.inputFormat);
        every.insert(every.end(), extensions.begin(), extensions.end());
        entries << QString::fromLatin1(f.name) + QStringLiteral(" (") +
                       Patterns(extensions, patternCase) + QStringLiteral(")");
    }
    QStringList filters;
    filters << texts::Tr(texts::kImageFilesFilter) + QStringLiteral(" (") +
                   Patterns(every, patternCase) + QStringLiteral(")");
    filters << entries << texts::Tr(texts::kAllFilesEntry);
    return filters;
}

}  // namespace vig::ui
