// The first step of the JPEG, PNG, TIFF, HEIF and WebP readers: the
// reported size is cleared, the size pointers are checked and the file is
// opened. Only a regular file counts: a folder, a pipe or a device is
// unopenable.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "image/image_library.h"
#include "platform/files.h"

namespace vig::image {

// The open descriptor, or -1 with ErrParameter or ErrOpenFile in `status`.
inline int OpenForReading(const std::string& path, int* width, int* height, ImageStatus& status) {
    if (width != nullptr) *width = 0;
    if (height != nullptr) *height = 0;
    if (width == nullptr || height == nullptr) {
        status.Fail(ErrParameter);
        return -1;
    }
    const int fd = platform::OpenRegularFile(path);
    if (fd < 0) status.Fail(ErrOpenFile);
    return fd;
}

// The same as a stdio stream; nullptr on failure.
inline std::FILE* OpenStreamForReading(const std::string& path, int* width, int* height,
                                       ImageStatus& status) {
    const int fd = OpenForReading(path, width, height, status);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        close(fd);
        status.Fail(ErrOpenFile);
    }
    return file;
}

}  // namespace vig::image
