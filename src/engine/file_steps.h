// The steps of one file that need nothing but the file and the settings:
// reading, resizing, overlay, sharpening, tone curve and matte. They run on
// the driver thread (one file at a time) or on a worker thread ahead of it.
// Everything they tell the user goes through a StepSink, so that a worker's
// account of a file can be told again on the driver, in file order, exactly
// as the driver would have told it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "image/codec_table.h"
#include "image/error_codes.h"
#include "image/png_state.h"

namespace vig::options {
struct BatchOptions;
}
namespace vig::image {
class CPxImage;
}

namespace vig::engine {

class StepSink {
public:
    virtual ~StepSink() = default;
    virtual void Step(const std::string& text) = 0;    // a status text
    virtual void Detail(const std::string& text) = 0;  // the path line
    // The reading may be cut short by a stop request between these two.
    virtual void BeginLoad() {}
    virtual void EndLoad() {}
    // A stop check between two steps: true ends the file.
    virtual bool StopRequested() = 0;
    // The source was read, or not (0 x 0): the log's input lines.
    virtual void Loaded(int width, int height, const std::vector<image::PngTextEntry>& texts) = 0;
    // The user tone curve file could not be read.
    virtual void UserCurveMissing() = 0;
    // Something the user should know of a file that is still made (its
    // colour profile was ignored): no failure.
    virtual void Warning(const std::string& text) = 0;
};

// Gives `image` the save settings, reads sourcePath into it and makes the
// thumbnail, up to the point where its entries are written and it is saved.
// With JPGDraftDecode a JPEG is decoded at the smallest scale that still
// gives twice the thumbnail's size; with ImageAutoOrient it is turned
// upright; a JPEG that is box-reduced is reduced as it is decoded. A colour profile is converted
// to sRGB as the picture is read (HEIC/HEIF, AVIF and WebP always, the others with
// ImageColourManage); one that cannot be used is a warning. 0, ErrCancelled when a stop
// check said so, or the code of the step that failed.
image::ErrorCode MakeThumbnail(const options::BatchOptions& options, const std::string& sourcePath,
                               const std::string& displayPath, const image::CPxImage* overlay,
                               image::CPxImage& image, StepSink& sink);

// The output size of a srcWidth x srcHeight image under MainResizeMethod,
// MainWidth, MainHeight, MainEnlarge and ImageBilinear, and the resampling
// kind (0 none, 1 bilinear, 2 box). *kind must be 0 on entry: the paths
// that leave it unchanged yield 0.
void ComputeOutputSize(const options::BatchOptions& options, unsigned srcWidth, unsigned srcHeight,
                       unsigned* outWidth, unsigned* outHeight, int* kind);

// The 256-entry tone curve of ImageEnhanceType, or nullptr for type 0.
// Type 5 reads ImageUserLUTPath into *userLut, every time, and returns it;
// when that file cannot be opened *userCurveMissing is set and the curve is
// the identity.
const uint8_t* ToneLut(const options::BatchOptions& options, std::array<uint8_t, 256>* userLut,
                       bool* userCurveMissing);

// Matting applies to best fit and to fixed width or height.
bool MatteApplies(const options::BatchOptions& options);

// What the steps ask of the reader for a picture of fullWidth x fullHeight
// (upright): with JPGDraftDecode a decoded size of at least twice the
// thumbnail in both directions, and the box reduction to the thumbnail
// when that is how it will be resized. Nothing for a picture that is not
// resampled.
image::DecodePlan PlanDecoding(const options::BatchOptions& options, int fullWidth, int fullHeight);

// A worker's account of one file: what it told its sink, in order. Its own
// stop checks answer whether the run has given the file up.
class StepRecord final : public StepSink {
public:
    enum class Kind { Step, Detail, StopCheck, Loaded, CurveMissing, Warning };
    struct Event {
        Kind kind;
        std::string text;
    };

    explicit StepRecord(const std::atomic<bool>& givenUp) : givenUp_(givenUp) {}
    // A record whose own stop checks never stop: one read back from a
    // shard's record, or made where nothing gives files up.
    StepRecord();

    void Step(const std::string& text) override { events_.push_back({Kind::Step, text}); }
    void Detail(const std::string& text) override { events_.push_back({Kind::Detail, text}); }
    bool StopRequested() override;
    void Loaded(int width, int height, const std::vector<image::PngTextEntry>& texts) override;
    void UserCurveMissing() override { events_.push_back({Kind::CurveMissing, {}}); }
    void Warning(const std::string& text) override { events_.push_back({Kind::Warning, text}); }

    // Tells `sink` all of it again, in order, its stop checks included:
    // ErrCancelled as soon as one of them says so, else `result`.
    image::ErrorCode Replay(StepSink& sink, image::ErrorCode result) const;

    // What was told, for a shard's record, and the way to put it back.
    const std::vector<Event>& events() const { return events_; }
    int loadedWidth() const { return width_; }
    int loadedHeight() const { return height_; }
    const std::vector<image::PngTextEntry>& loadedTexts() const { return texts_; }
    void Append(Kind kind, const std::string& text) { events_.push_back({kind, text}); }
    void SetLoaded(int width, int height, std::vector<image::PngTextEntry> texts) {
        width_ = width;
        height_ = height;
        texts_ = std::move(texts);
    }
    void Clear() {
        events_.clear();
        SetLoaded(0, 0, {});
    }

private:
    const std::atomic<bool>& givenUp_;
    std::vector<Event> events_;
    int width_ = 0;
    int height_ = 0;
    std::vector<image::PngTextEntry> texts_;
};

}  // namespace vig::engine
