#include "documents/html_text.h"

#include <filesystem>
#include <system_error>

#include "image/codec_table.h"
#include "platform/paths.h"

namespace vig::documents::html {
namespace {

// Appends c, or its entity for the four characters that end or open markup.
void AppendText(std::string& out, char c) {
    switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
    }
}

}  // namespace

std::string Text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) AppendText(out, c);
    return out;
}

std::string Url(std::string_view link, bool unquoted) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(link.size() + 2);
    // A relative link whose first step holds a colon would read as a scheme
    // ("javascript:", or "Party: day 1.jpg" as the scheme "party").
    const size_t colon = link.find(':');
    if (colon != std::string_view::npos && colon < link.find('/')) out += "./";
    for (const char c : link) {
        const auto b = static_cast<unsigned char>(c);
        const bool encode = b >= 0x7F || b < 0x20 || (unquoted && b == ' ') || c == '%' ||
                            c == '#' || c == '?' || c == '\\';
        if (encode) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        } else {
            AppendText(out, c);
        }
    }
    return out;
}

std::string FullForm(const std::string& path) {
    if (path.empty()) return path;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::error_code ec;
        const std::filesystem::path cwd = std::filesystem::current_path(ec);
        if (ec) return path;
        p = cwd / p;
    }
    return p.lexically_normal().string();
}

std::string Link(const std::string& target, const std::string& base) {
    return paths::ToUrlSlashes(paths::RelativePath(FullForm(target), FullForm(base)));
}

std::string FolderOf(std::string_view path) {
    std::string folder = paths::Directory(path);
    if (folder.empty() && !path.empty() && path.front() == paths::kSeparator)
        folder.assign(1, paths::kSeparator);
    return folder;
}

std::string InFolder(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    if (folder.back() == paths::kSeparator) return std::string(folder) + std::string(name);
    return paths::Join(folder, name);
}

std::string FontTag(int size) {
    std::string out = "<font size =";
    out += size > 0 ? '+' : ' ';
    out += std::to_string(size);
    out += '>';
    return out;
}

bool IsShownExtension(std::string_view extension, const options::HtmlOptions& options) {
    switch (image::InputFormatOf(extension)) {
        case image::InputJpeg:
        case image::InputGif:
        // Inputs browsers show as they are (no thumbnail is written in them).
        case image::InputWebp:
        case image::InputAvif:
            return true;
        case image::InputPng:
            return options::On(options.HTMLWritePNG);
        case image::InputBmp:
            return options::On(options.HTMLWriteBMP);
        case image::InputPcx:
            return options::On(options.HTMLWritePCX);
        case image::InputTiff:
            return options::On(options.HTMLWriteTIFF);
        default:
            return false;
    }
}

}  // namespace vig::documents::html
