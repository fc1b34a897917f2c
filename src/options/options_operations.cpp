// Operations of the options record that use the processing library.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "options/batch_options.h"
#include "platform/files.h"
#include "platform/system.h"
#include "processing/resample.h"
#include "processing/tone_curves.h"

namespace vig {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The beginning of the user curve file, as much as the reader can use; false
// when the file cannot be opened or read.
bool ReadCurveText(const std::string& path, std::string* text) {
    if (path.empty()) return false;
    std::unique_ptr<std::FILE, FileCloser> file(platform::OpenRegularFileStream(path));
    if (!file) return false;  // missing, or a folder, pipe or device
    text->assign(processing::kUserCurveMaxBytes, '\0');
    const size_t got = std::fread(text->data(), 1, text->size(), file.get());
    if (std::ferror(file.get())) return false;  // a folder opens but cannot be read
    text->resize(got);
    return true;
}

}  // namespace

void BatchOptions::ComputeOutputSize(unsigned srcWidth, unsigned srcHeight, unsigned* outWidth,
                                     unsigned* outHeight, int* kind) const {
    processing::ResizeRequest request;
    request.method = MainResizeMethod;
    request.width = static_cast<unsigned>(MainWidth);
    request.height = static_cast<unsigned>(MainHeight);
    // A stored flag is on only when it holds exactly 1.
    request.enlarge = MainEnlarge == 1;
    request.bilinear = ImageBilinear == 1;
    processing::ComputeOutputSize(request, srcWidth, srcHeight, outWidth, outHeight, kind);
}

const uint8_t* BatchOptions::GetToneLut(bool* userCurveMissing) {
    if (userCurveMissing != nullptr) *userCurveMissing = false;
    if (ImageEnhanceType == 0) return nullptr;
    if (ImageEnhanceType != 5) {
        const uint8_t* curve = processing::BuiltInToneCurve(ImageEnhanceType);
        return curve != nullptr ? curve : processing::BuiltInToneCurve(1);
    }
    std::string text;
    const bool opened = ReadCurveText(ImageUserLUTPath, &text);
    // Without a file the curve is the identity.
    processing::ParseUserCurve(opened ? text : std::string(), UserLut.data());
    if (!opened && userCurveMissing != nullptr) *userCurveMissing = true;
    return UserLut.data();
}

int BatchOptions::ThreadCount() const {
    if (OpsThreads > 0) return std::min(OpsThreads, kMaxThreads);
    return std::clamp(platform::ProcessorCount(), 1, kMaxThreads);
}

}  // namespace vig
