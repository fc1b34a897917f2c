#include "engine/file_steps.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

#include "engine/engine_texts.h"
#include "engine/engine_util.h"
#include "image/cpx_image.h"
#include "options/batch_options.h"
#include "platform/files.h"
#include "processing/resample.h"
#include "processing/tone_curves.h"

namespace vig::engine {

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

void ComputeOutputSize(const options::BatchOptions& o, unsigned srcWidth, unsigned srcHeight,
                       unsigned* outWidth, unsigned* outHeight, int* kind) {
    processing::ResizeRequest request;
    request.method = o.MainResizeMethod;
    request.width = static_cast<unsigned>(o.MainWidth);
    request.height = static_cast<unsigned>(o.MainHeight);
    // A stored flag is on only when it holds exactly 1.
    request.enlarge = o.MainEnlarge == 1;
    request.bilinear = o.ImageBilinear == 1;
    processing::ComputeOutputSize(request, srcWidth, srcHeight, outWidth, outHeight, kind);
}

const uint8_t* ToneLut(const options::BatchOptions& o, std::array<uint8_t, 256>* userLut,
                       bool* userCurveMissing) {
    if (userCurveMissing != nullptr) *userCurveMissing = false;
    if (o.ImageEnhanceType == 0) return nullptr;
    if (o.ImageEnhanceType != 5) {
        const uint8_t* curve = processing::BuiltInToneCurve(o.ImageEnhanceType);
        return curve != nullptr ? curve : processing::BuiltInToneCurve(1);
    }
    std::string text;
    const bool opened = ReadCurveText(o.ImageUserLUTPath, &text);
    // Without a file the curve is the identity.
    processing::ParseUserCurve(opened ? text : std::string(), userLut->data());
    if (!opened && userCurveMissing != nullptr) *userCurveMissing = true;
    return userLut->data();
}

bool MatteApplies(const options::BatchOptions& o) {
    const int m = o.MainResizeMethod;
    return options::On(o.ImageMatte) && options::MethodAllowsEnlarge(m);
}

image::DecodePlan PlanDecoding(const options::BatchOptions& o, int fullWidth, int fullHeight) {
    image::DecodePlan plan;
    unsigned w = 0, h = 0;
    int kind = processing::ResampleNone;
    ComputeOutputSize(o, static_cast<unsigned>(fullWidth), static_cast<unsigned>(fullHeight), &w, &h,
                      &kind);
    if (kind == processing::ResampleNone) return plan;
    plan.previewWidth = static_cast<int>(std::min<long long>(2LL * w, INT_MAX));
    plan.previewHeight = static_cast<int>(std::min<long long>(2LL * h, INT_MAX));
    if (options::On(o.JPGDraftDecode)) {
        plan.minWidth = plan.previewWidth;
        plan.minHeight = plan.previewHeight;
    }
    if (kind == processing::ResampleBoxKind) {
        plan.reduceWidth = static_cast<int>(std::min<unsigned>(w, INT_MAX));
        plan.reduceHeight = static_cast<int>(std::min<unsigned>(h, INT_MAX));
    }
    return plan;
}

image::ErrorCode MakeThumbnail(const options::BatchOptions& o, const std::string& sourcePath,
                               const std::string& displayPath, const image::CPxImage* overlay,
                               image::CPxImage& image, StepSink& sink) {
    image.SetPngOptions(o.PNGFileGamma, o.PNGScreenGamma, o.PNGKey, o.PNGText,
                        options::On(o.PNGCopyPNGText), options::On(o.PNGCompressPNGText),
                        o.PNGBkColor);
    image.SetJpegQuality(o.JPGQuality);

    sink.Step(texts::kReading);
    sink.Detail(displayPath);
    image::DecodeHints hints;
    hints.readOrientation = options::On(o.ImageAutoOrient);
    hints.convertProfiles = options::On(o.ImageColourManage) ? image::ProfileConversion::All
                                                             : image::ProfileConversion::NewFormats;
    hints.plan = [&o](int w, int h) { return PlanDecoding(o, w, h); };
    image::DecodeInfo info;
    sink.BeginLoad();
    image::ErrorCode code = image.Load(sourcePath, hints, &info);
    sink.EndLoad();
    // A stop that came while the file was read drops it.
    if (sink.StopRequested()) return image::ErrCancelled;
    // The picture's own size, whatever scale it was decoded at.
    const int loadedWidth = info.fullWidth;
    const int loadedHeight = info.fullHeight;
    sink.Loaded(loadedWidth, loadedHeight, image.textList());
    if (code != image::ErrNone) return code;
    if (const char* reason = texts::ProfileIgnoredReason(info.profile))
        sink.Warning(texts::ProfileIgnored(displayPath, reason));
    if (sink.StopRequested()) return image::ErrCancelled;

    sink.Step(texts::kResizing);
    unsigned w = 0, h = 0;
    int kind = 0;
    ComputeOutputSize(o, static_cast<unsigned>(loadedWidth), static_cast<unsigned>(loadedHeight), &w,
                      &h, &kind);
    if (!info.reduced) code = image.Resize(static_cast<int>(w), static_cast<int>(h), kind);
    if (code != image::ErrNone) return code;
    if (sink.StopRequested()) return image::ErrCancelled;

    if (options::On(o.OverlayOverlay) && overlay != nullptr) {
        sink.Step(texts::kApplyingOverlay);
        code = image.Overlay(*overlay, o.OverlayPos, options::On(o.OverlayResize),
                             options::On(o.OverlayNoTransparency), o.OverlayOpacity,
                             o.OverlayTransColor);
        if (code != image::ErrNone) return code;
    }
    if (options::On(o.ImageSharpen)) {
        sink.Step(texts::kSharpen);
        code = image.Sharpen(o.ImageSharpenLevel);
        if (code != image::ErrNone) return code;
    }
    if (sink.StopRequested()) return image::ErrCancelled;

    if (o.ImageEnhanceType != options::EnhanceNone) {
        bool userCurveMissing = false;
        std::array<uint8_t, 256> userLut{};
        const uint8_t* lut = ToneLut(o, &userLut, &userCurveMissing);
        if (userCurveMissing) sink.UserCurveMissing();
        if (lut != nullptr) {
            code = image.ApplyLut(lut);
            if (code != image::ErrNone) return code;
        }
    }
    if (sink.StopRequested()) return image::ErrCancelled;

    if (MatteApplies(o)) {
        sink.Step(texts::kMatting);
        code = image.Matte(o.MainWidth, o.MainHeight, o.ImageMatteColor);
        if (code != image::ErrNone) return code;
    }
    // The last chance to stop: a file whose entries are written is saved.
    if (sink.StopRequested()) return image::ErrCancelled;
    return image::ErrNone;
}

namespace {
const std::atomic<bool> kNeverGivenUp{false};
}

StepRecord::StepRecord() : givenUp_(kNeverGivenUp) {}

bool StepRecord::StopRequested() {
    events_.push_back({Kind::StopCheck, {}});
    return givenUp_.load(std::memory_order_relaxed);
}

void StepRecord::Loaded(int width, int height, const std::vector<image::PngTextEntry>& texts) {
    events_.push_back({Kind::Loaded, {}});
    width_ = width;
    height_ = height;
    texts_ = texts;
}

image::ErrorCode StepRecord::Replay(StepSink& sink, image::ErrorCode result) const {
    for (const Event& e : events_) {
        switch (e.kind) {
            case Kind::Step:
                sink.Step(e.text);
                break;
            case Kind::Detail:
                sink.Detail(e.text);
                break;
            case Kind::StopCheck:
                if (sink.StopRequested()) return image::ErrCancelled;
                break;
            case Kind::Loaded:
                sink.Loaded(width_, height_, texts_);
                break;
            case Kind::CurveMissing:
                sink.UserCurveMissing();
                break;
            case Kind::Warning:
                sink.Warning(e.text);
                break;
        }
    }
    return result;
}

}  // namespace vig::engine
