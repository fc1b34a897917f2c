#include "engine/output_naming.h"

#include <vector>

#include "image/codec_table.h"
#include "options/batch_options.h"
#include "options/enums.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig {
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
    if (nameCase != Lower && nameCase != Upper) return path;
    const std::string name = paths::FileName(path);
    return WithFileName(path,
                        nameCase == Lower ? paths::ToLowerAscii(name) : paths::ToUpperAscii(name));
}

std::string BuildOutputName(const std::string& base, const std::string& ext, int style,
                            const std::string& extraText, int nameCase) {
    const std::string e = (!ext.empty() && ext[0] == '.') ? ext.substr(1) : ext;
    switch (style) {
        case TextPrefix:
            return WithFileName(base, extraText + paths::FileName(base) + "." + e);
        case TextSuffix:
            return base + extraText + "." + e;
        case AutoNumericSuffix: {
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
    if (outputFormat >= FormatJpg && outputFormat <= FormatGifGray)
        return FormatExtension(outputFormat).substr(1);
    if (outputFormat < FormatSame24 || outputFormat > FormatSameGray) return "";
    const InputFormatEntry* input = FindInputFormat(InputFormatOf(sourceExtension));
    if (input == nullptr) return "";
    const int format = outputFormat == FormatSame24  ? input->same24
                       : outputFormat == FormatSame8 ? input->same8
                                                     : input->sameGray;
    return paths::ToUpperAscii(FormatExtension(format).substr(1));
}

std::string FormatExtension(int format) {
    if (format >= FormatBmp24 && format <= FormatBmpGray) return ".bmp";
    if (format >= FormatPng24 && format <= FormatPngGray) return ".png";
    if (format >= FormatTiff24 && format <= FormatTiffGray) return ".tif";
    if (format >= FormatPcx24 && format <= FormatPcxGray) return ".pcx";
    if (format == FormatGif || format == FormatGifGray) return ".gif";
    return ".jpg";
}

int ResolveOutputFormat(int mainOutputFormat, int inputFormat) {
    if (mainOutputFormat >= FormatJpg && mainOutputFormat <= FormatGifGray) return mainOutputFormat;
    if (mainOutputFormat < FormatSame24 || mainOutputFormat > FormatSameGray) return 0;
    const InputFormatEntry* input = FindInputFormat(inputFormat);
    if (input == nullptr) return 0;
    return mainOutputFormat == FormatSame24  ? input->same24
           : mainOutputFormat == FormatSame8 ? input->same8
                                             : input->sameGray;
}

std::string SingleFileOutputPath(const BatchOptions& options, const std::string& singleFilePath) {
    const std::string name = paths::FileName(singleFilePath);
    // The name without its extension: an extension a reader knows goes
    // whatever its length, else four characters.
    const std::string ext = paths::Extension(name);
    const size_t drop = InputFormatOf(ext) != InputNone ? ext.size() : 4;
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

}  // namespace vig
