#include "engine/output_naming.h"

#include <vector>

#include "image/codec_table.h"
#include "options/batch_options.h"
#include "options/enums.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig::engine {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool HasSeparator(const std::string& path) {
    return path.find(paths::kSeparator) != std::string::npos;
}

std::string PadLeft(const std::string& digits, size_t width) {
    if (digits.size() >= width) return digits;
    return std::string(width - digits.size(), '0') + digits;
}

// path with its file name replaced (a path without a folder is all name).
std::string WithFileName(const std::string& path, const std::string& name) {
    return HasSeparator(path) ? paths::Join(paths::Directory(path), name) : name;
}

}  // namespace

std::string IncrementDecimal(const std::string& digits) {
    std::string out = digits;
    size_t i = out.size();
    while (i > 0) {
        --i;
        if (out[i] != '9') {
            ++out[i];
            return out;
        }
        out[i] = '0';
    }
    return "1" + out;
}

std::string ApplyOutputCase(const std::string& path, int nameCase) {
    if (nameCase != options::Lower && nameCase != options::Upper) return path;
    const std::string name = paths::FileName(path);
    return WithFileName(
        path, nameCase == options::Lower ? paths::ToLowerAscii(name) : paths::ToUpperAscii(name));
}

std::string BuildOutputName(const std::string& base, const std::string& ext, int style,
                            const std::string& extraText, int nameCase) {
    const std::string e = (!ext.empty() && ext[0] == '.') ? ext.substr(1) : ext;
    switch (style) {
        case options::TextPrefix:
            return WithFileName(base, extraText + paths::FileName(base) + "." + e);
        case options::TextSuffix:
            return base + extraText + "." + e;
        case options::AutoNumericSuffix: {
            size_t n = 0;
            while (n < base.size() && IsDigit(base[base.size() - 1 - n])) ++n;
            const std::string stem = base.substr(0, base.size() - n);
            // The value without leading zeros; "" is 0.
            std::string number = base.substr(base.size() - n);
            const auto firstNonZero = number.find_first_not_of('0');
            number = firstNonZero == std::string::npos ? "" : number.substr(firstNonZero);
            const auto candidate = [&] { return stem + PadLeft(number, n) + "." + e; };
            while (platform::Exists(ApplyOutputCase(candidate(), nameCase)))
                number = IncrementDecimal(number);
            return candidate();
        }
        default:
            return base + "." + e;
    }
}

std::string OutputExtension(const std::string& sourceExtension, int outputFormat) {
    if (outputFormat >= options::FormatJpg && outputFormat <= options::FormatGifGray)
        return FormatExtension(outputFormat).substr(1);
    if (outputFormat < options::FormatSame24 || outputFormat > options::FormatSameGray) return "";
    const image::InputFormatEntry* input =
        image::FindInputFormat(image::InputFormatOf(sourceExtension));
    if (input == nullptr) return "";
    const int format = outputFormat == options::FormatSame24  ? input->same24
                       : outputFormat == options::FormatSame8 ? input->same8
                                                              : input->sameGray;
    return paths::ToUpperAscii(FormatExtension(format).substr(1));
}

std::string FormatExtension(int format) {
    if (format >= options::FormatBmp24 && format <= options::FormatBmpGray) return ".bmp";
    if (format >= options::FormatPng24 && format <= options::FormatPngGray) return ".png";
    if (format >= options::FormatTiff24 && format <= options::FormatTiffGray) return ".tif";
    if (format >= options::FormatPcx24 && format <= options::FormatPcxGray) return ".pcx";
    if (format == options::FormatGif || format == options::FormatGifGray) return ".gif";
    return ".jpg";
}

int ResolveOutputFormat(int mainOutputFormat, int inputFormat) {
    if (mainOutputFormat >= options::FormatJpg && mainOutputFormat <= options::FormatGifGray)
        return mainOutputFormat;
    if (mainOutputFormat < options::FormatSame24 || mainOutputFormat > options::FormatSameGray)
        return 0;
    const image::InputFormatEntry* input = image::FindInputFormat(inputFormat);
    if (input == nullptr) return 0;
    return mainOutputFormat == options::FormatSame24  ? input->same24
           : mainOutputFormat == options::FormatSame8 ? input->same8
                                                      : input->sameGray;
}

std::string SingleFileOutputPath(const options::BatchOptions& options,
                                 const std::string& singleFilePath) {
    const std::string name = paths::FileName(singleFilePath);
    // The name without its extension: an extension a reader knows goes
    // whatever its length, else four characters.
    const std::string ext = paths::Extension(name);
    const size_t drop = image::InputFormatOf(ext) != image::InputNone ? ext.size() : 4;
    const std::string cut = name.size() > drop ? name.substr(0, name.size() - drop) : std::string();
    return BuildOutputName(
        paths::Join(options.MainDestPath, cut),
        OutputExtension(paths::Extension(singleFilePath), options.MainOutputFormat),
        options.OutputRenameStyle, options.OutputExtraText);
}

bool CreateFolderPath(const std::string& path) {
    std::vector<std::string> list;
    std::string current = path;
    while (HasSeparator(current)) {
        list.push_back(current);
        current = paths::Directory(current);
    }
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (platform::IsFolder(*it)) continue;
        if (platform::CreateFolder(*it) == platform::CreateFolderResult::Failed) return false;
    }
    return true;
}

}  // namespace vig::engine
