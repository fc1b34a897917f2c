#include "support/encoder_tools.h"

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "support/temp_dir.h"

extern char** environ;

namespace vig::test {

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        struct stat st {};
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

std::string MissingProgram(const std::vector<std::string>& names) {
    for (const std::string& n : names)
        if (FindProgram(n).empty()) return n;
    return "";
}

bool RunProgram(const std::vector<std::string>& args) {
    if (args.empty()) return false;
    const std::string program = FindProgram(args[0]);
    if (program.empty()) return false;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<uint8_t> Samples::Rgb8() const {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) out.push_back(static_cast<uint8_t>(At(x, y, c)));
    return out;
}

Samples TestPicture(int width, int height, int channels, int depth) {
    Samples s{width, height, channels, depth, {}};
    const long max = (1L << depth) - 1;
    s.values.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) *
                     static_cast<size_t>(channels));
    const long w = width > 1 ? width - 1 : 1, h = height > 1 ? height - 1 : 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s.values.push_back(static_cast<uint16_t>(x * max / w));
            s.values.push_back(static_cast<uint16_t>(y * max / h));
            s.values.push_back(
                static_cast<uint16_t>(((x / 8 + y / 8) % 2) ? max * 3 / 4 : max / 5));
            if (channels == 4) {
                const int band = width / 8;
                long a = 0;
                if (x >= width - band)
                    a = max;
                else if (x >= band)
                    a = (x - band) * max / (width - 2 * band);
                s.values.push_back(static_cast<uint16_t>(a));
            }
        }
    }
    return s;
}

namespace {

struct PngFile {
    std::FILE* file = nullptr;
    ~PngFile() {
        if (file != nullptr) std::fclose(file);
    }
};

}  // namespace

bool WritePngSamples(const std::string& path, const Samples& s, const std::vector<uint8_t>& icc) {
    PngFile out;
    out.file = std::fopen(path.c_str(), "wb");
    if (out.file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(s.width) * static_cast<size_t>(s.channels) *
                            static_cast<size_t>(s.depth / 8);
    std::vector<uint8_t> row(rowBytes);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out.file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(s.width), static_cast<png_uint_32>(s.height),
                 s.depth, s.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!icc.empty())
        png_set_iCCP(png, info, "test profile", PNG_COMPRESSION_TYPE_BASE, icc.data(),
                     static_cast<png_uint_32>(icc.size()));
    png_write_info(png, info);
    const size_t perRow = static_cast<size_t>(s.width) * static_cast<size_t>(s.channels);
    for (int y = 0; y < s.height; ++y) {
        const uint16_t* v = &s.values[static_cast<size_t>(y) * perRow];
        for (size_t i = 0; i < perRow; ++i) {
            if (s.depth == 16) {
                row[2 * i] = static_cast<uint8_t>(v[i] >> 8);
                row[2 * i + 1] = static_cast<uint8_t>(v[i]);
            } else {
                row[i] = static_cast<uint8_t>(v[i]);
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool ReadPngSamples(const std::string& path, Samples* s) {
    PngFile in;
    in.file = std::fopen(path.c_str(), "rb");
    if (in.file == nullptr) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    std::vector<uint8_t> row;
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, in.file);
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if ((type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_RGB_ALPHA) ||
        (depth != 8 && depth != 16) || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    s->width = static_cast<int>(png_get_image_width(png, info));
    s->height = static_cast<int>(png_get_image_height(png, info));
    s->channels = type == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : 3;
    s->depth = depth;
    const size_t perRow = static_cast<size_t>(s->width) * static_cast<size_t>(s->channels);
    row.resize(perRow * static_cast<size_t>(depth / 8));
    s->values.clear();
    s->values.reserve(perRow * static_cast<size_t>(s->height));
    for (int y = 0; y < s->height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (size_t i = 0; i < perRow; ++i)
            s->values.push_back(
                depth == 16 ? static_cast<uint16_t>(row[2 * i] << 8 | row[2 * i + 1]) : row[i]);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool ReadPnmSamples(const std::string& path, Samples* s) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (bytes.size() < 3 || bytes[0] != 'P' || (bytes[1] != '6' && bytes[1] != '7')) return false;
    size_t pos = 2;
    const auto token = [&]() {
        std::string t;
        while (pos < bytes.size()) {
            if (bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            } else if (std::isspace(bytes[pos]) != 0) {
                if (!t.empty()) break;
                ++pos;
            } else {
                t += static_cast<char>(bytes[pos++]);
            }
        }
        return t;
    };
    int maxval = 0;
    if (bytes[1] == '6') {
        s->width = std::atoi(token().c_str());
        s->height = std::atoi(token().c_str());
        maxval = std::atoi(token().c_str());
        s->channels = 3;
    } else {
        for (std::string t = token(); !t.empty() && t != "ENDHDR"; t = token()) {
            if (t == "WIDTH") s->width = std::atoi(token().c_str());
            if (t == "HEIGHT") s->height = std::atoi(token().c_str());
            if (t == "DEPTH") s->channels = std::atoi(token().c_str());
            if (t == "MAXVAL") maxval = std::atoi(token().c_str());
        }
    }
    ++pos;  // the one white-space character after the header
    const size_t count = static_cast<size_t>(s->width) * static_cast<size_t>(s->height) *
                         static_cast<size_t>(s->channels);
    if (maxval != 255 || s->width <= 0 || s->height <= 0 ||
        (s->channels != 3 && s->channels != 4) || pos > bytes.size() || bytes.size() - pos < count)
        return false;
    s->depth = 8;
    s->values.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                     bytes.begin() + static_cast<std::ptrdiff_t>(pos + count));
    return true;
}

bool EncodePicture(const std::string& path, const Samples& source,
                   const std::vector<std::string>& command, const std::vector<uint8_t>& icc) {
    const std::string png = path + ".src.png";
    if (!WritePngSamples(png, source, icc)) return false;
    std::vector<std::string> args = command;
    args.insert(args.end(), {"-o", path, png});
    return RunProgram(args);
}

std::vector<uint8_t> TestIccProfile(size_t size) {
    std::vector<uint8_t> p(size < 160 ? 160 : size, 0);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
    };
    const auto put4 = [&](size_t at, const char* text) { std::memcpy(&p[at], text, 4); };
    put32(0, static_cast<uint32_t>(p.size()));
    put4(4, "none");
    put32(8, 0x02100000);
    put4(12, "mntr");
    put4(16, "RGB ");
    put4(20, "XYZ ");
    put4(36, "acsp");
    put32(68, 0xF6D6);  // the D50 illuminant
    put32(72, 0x10000);
    put32(76, 0xD32D);
    put4(80, "test");
    put32(128, 1);  // one tag: a copyright text of filler bytes
    put4(132, "cprt");
    put32(136, 144);
    put32(140, static_cast<uint32_t>(p.size() - 144));
    put4(144, "text");
    for (size_t i = 152; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i % 251);
    return p;
}

}  // namespace vig::test
