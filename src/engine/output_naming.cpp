#include "engine/output_naming.h"

#include <vector>

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
    const std::string cased =
        nameCase == Lower ? paths::ToLowerAscii(name) : paths::ToUpperAscii(name);
    if (!HasSeparator(path)) return cased;
    return paths::Join(paths::Directory(path), cased);
}

std::string BuildOutputName(const std::string& base, const std::string& ext, int style,
                            const std::string& extraText, int nameCase) {
    const std::string e = (!ext.empty() && ext[0] == '.') ? ext.substr(1) : ext;
    switch (style) {
        case TextPrefix: {
            const std::string name = extraText + paths::FileName(base) + "." + e;
            return HasSeparator(base) ? paths::Join(paths::Directory(base), name) : name;
        }
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
            std::string candidate = stem + PadLeft(number, n) + "." + e;
            while (platform::Exists(ApplyOutputCase(candidate, nameCase))) {
                number = IncrementDecimal(number);
                candidate = stem + PadLeft(number, n) + "." + e;
            }
            return candidate;
        }
        default:
            return base + "." + e;
    }
}

std::string OutputExtension(const std::string& sourceExtension, int outputFormat) {
    switch (outputFormat) {
        case FormatJpg:
        case FormatJpgGray:
            return "jpg";
        case FormatBmp24:
        case FormatBmp8:
        case FormatBmpGray:
            return "bmp";
        case FormatPng24:
        case FormatPng8:
        case FormatPngGray:
            return "png";
        case FormatTiff24:
        case FormatTiff8:
        case FormatTiffGray:
            return "tif";
        case FormatPcx24:
        case FormatPcx8:
        case FormatPcxGray:
            return "pcx";
        case FormatGif:
        case FormatGifGray:
            return "gif";
        case FormatSame24:
        case FormatSame8:
        case FormatSameGray: {
            static const char* const kKnown[] = {".gif", ".bmp", ".pcx", ".png", ".jpg", ".tif"};
            for (const char* known : kKnown)
                if (paths::EqualsIgnoringCase(sourceExtension, known))
                    return paths::ToUpperAscii(known + 1);
            return "";
        }
        default:
            return "";
    }
}

std::string FormatExtension(int format) {
    if (format >= 6 && format <= 8) return ".bmp";
    if (format >= 9 && format <= 11) return ".png";
    if (format >= 12 && format <= 14) return ".tif";
    if (format >= 15 && format <= 17) return ".pcx";
    if (format == 18 || format == 19) return ".gif";
    return ".jpg";
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
