#include "image/colour_profile.h"

#include <lcms2.h>

#include <utility>
#include <vector>

#include "image/row_target.h"

namespace vig::image {
namespace {

// LittleCMS tells what went wrong through a handler; the outcome says all
// the program needs.
void Quiet(cmsContext, cmsUInt32Number, const char*) {}

// Perceptual: see colour_profile.h.
constexpr cmsUInt32Number kIntent = INTENT_PERCEPTUAL;

struct Chromaticities {
    double white[2];
    double red[2];
    double green[2];
    double blue[2];
};

constexpr double kD65[2] = {0.3127, 0.3290};
constexpr double kIlluminantC[2] = {0.310, 0.316};

// The primaries of a colour_primaries code; false for codes without them
// (reserved, XYZ itself, unknown).
bool PrimariesOf(int code, Chromaticities* c) {
    const auto set = [c](const double white[2], double rx, double ry, double gx, double gy,
                         double bx, double by) {
        *c = {{white[0], white[1]}, {rx, ry}, {gx, gy}, {bx, by}};
        return true;
    };
    switch (code) {
        case 1:  // BT.709, sRGB
        case 2:  // unspecified
            return set(kD65, 0.640, 0.330, 0.300, 0.600, 0.150, 0.060);
        case 4:  // BT.470 System M
            return set(kIlluminantC, 0.67, 0.33, 0.21, 0.71, 0.14, 0.08);
        case 5:  // BT.470 System B, G; BT.601 625 lines
            return set(kD65, 0.64, 0.33, 0.29, 0.60, 0.15, 0.06);
        case 6:  // BT.601 525 lines
        case 7:  // SMPTE 240M
            return set(kD65, 0.630, 0.340, 0.310, 0.595, 0.155, 0.070);
        case 8:  // generic film
            return set(kIlluminantC, 0.681, 0.319, 0.243, 0.692, 0.145, 0.049);
        case 9:  // BT.2020, BT.2100
            return set(kD65, 0.708, 0.292, 0.170, 0.797, 0.131, 0.046);
        case 11: {  // SMPTE RP 431-2 (DCI-P3, its own white)
            constexpr double kDci[2] = {0.314, 0.351};
            return set(kDci, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060);
        }
        case 12:  // SMPTE EG 432-1 (Display P3)
            return set(kD65, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060);
        case 22:  // EBU Tech. 3213-E
            return set(kD65, 0.630, 0.340, 0.295, 0.605, 0.155, 0.077);
        default:
            return false;
    }
}

// The tone curve (coded value to linear light) of a transfer_characteristics
// code, as a LittleCMS parametric curve: type 1 is Y = X^g, type 4 is
// Y = (aX + b)^g from X = d on and Y = cX below. False for codes without one.
bool CurveOf(int code, int* type, double params[5]) {
    const auto set = [&](int t, double g, double a, double b, double c, double d) {
        *type = t;
        params[0] = g;
        params[1] = a;
        params[2] = b;
        params[3] = c;
        params[4] = d;
        return true;
    };
    switch (code) {
        case 1:   // BT.709
        case 6:   // BT.601
        case 11:  // IEC 61966-2-4 (xvYCC), within 0..1
        case 14:  // BT.2020 10 bits
        case 15:  // BT.2020 12 bits
            // The inverse of the camera curve, as browsers take it.
            return set(4, 1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081);
        case 2:   // unspecified
        case 13:  // sRGB
            return set(4, 2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045);
        case 4:  // gamma 2.2
            return set(1, 2.2, 0, 0, 0, 0);
        case 5:  // gamma 2.8
            return set(1, 2.8, 0, 0, 0, 0);
        case 7:  // SMPTE 240M
            return set(4, 1 / 0.45, 1 / 1.1115, 0.1115 / 1.1115, 1 / 4.0, 0.0913);
        case 8:  // linear
            return set(1, 1.0, 0, 0, 0, 0);
        default:
            return false;
    }
}

}  // namespace

bool ConvertsProfiles(const DecodeHints& hints, bool newFormat) {
    switch (hints.convertProfiles) {
        case ProfileConversion::All:
            return true;
        case ProfileConversion::NewFormats:
            return newFormat;
        case ProfileConversion::None:
            break;
    }
    return false;
}

struct ColourTransform::Built {
    std::vector<uint8_t> key;  // the profile's bytes, or the nclx codes; empty: not kept
    cmsContext context = nullptr;
    cmsHTRANSFORM transform = nullptr;

    Built() = default;
    Built(const Built&) = delete;
    Built& operator=(const Built&) = delete;
    ~Built() {
        if (transform != nullptr) cmsDeleteTransform(transform);
        if (context != nullptr) cmsDeleteContext(context);
    }
};

namespace {

using Built = ColourTransform::Built;

// The transforms this thread made last, the latest first. Profiles larger
// than kKeptProfileBytes (large printer tables) are made afresh each time.
constexpr size_t kKeptTransforms = 4;
constexpr size_t kKeptProfileBytes = 256 << 10;
thread_local std::vector<std::shared_ptr<const Built>> tKept;

std::shared_ptr<const Built> FindKept(const std::vector<uint8_t>& key) {
    for (size_t i = 0; i < tKept.size(); ++i) {
        if (tKept[i]->key != key) continue;
        std::shared_ptr<const Built> found = tKept[i];
        tKept.erase(tKept.begin() + static_cast<std::ptrdiff_t>(i));
        tKept.insert(tKept.begin(), found);
        return found;
    }
    return nullptr;
}

void Keep(const std::shared_ptr<const Built>& built) {
    if (built->key.empty()) return;
    tKept.insert(tKept.begin(), built);
    if (tKept.size() > kKeptTransforms) tKept.pop_back();
}

// A context whose messages go nowhere.
cmsContext NewContext() {
    cmsContext context = cmsCreateContext(nullptr, nullptr);
    if (context != nullptr) cmsSetLogErrorHandlerTHR(context, Quiet);
    return context;
}

// The transform from `input` (closed here) to sRGB, in built's context:
// false when LittleCMS cannot make one. It is made without the one-pixel
// cache, so using it changes nothing in it.
bool MakeTransform(Built* built, cmsHPROFILE input) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(built->context);
    if (srgb != nullptr)
        built->transform = cmsCreateTransformTHR(built->context, input, TYPE_RGB_8, srgb,
                                                 TYPE_RGB_8, kIntent, cmsFLAGS_NOCACHE);
    cmsCloseProfile(input);
    if (srgb != nullptr) cmsCloseProfile(srgb);
    return built->transform != nullptr;
}

}  // namespace

ColourTransform::ColourTransform() = default;
ColourTransform::~ColourTransform() = default;

ProfileOutcome ColourTransform::FromIcc(const uint8_t* bytes, size_t size) {
    built_.reset();
    if (bytes == nullptr || size == 0) return ProfileOutcome::None;
    // A profile is at most what its 32-bit size field can say.
    if (size > 0xFFFFFFFFu) return ProfileOutcome::Unreadable;
    std::vector<uint8_t> key;
    if (size <= kKeptProfileBytes) {
        key.assign(bytes, bytes + size);
        if ((built_ = FindKept(key)) != nullptr) return ProfileOutcome::Converted;
    }
    auto built = std::make_shared<Built>();
    built->context = NewContext();
    if (built->context == nullptr) return ProfileOutcome::Unreadable;
    cmsHPROFILE profile =
        cmsOpenProfileFromMemTHR(built->context, bytes, static_cast<cmsUInt32Number>(size));
    if (profile == nullptr) return ProfileOutcome::Unreadable;
    const cmsProfileClassSignature kind = cmsGetDeviceClass(profile);
    if (cmsGetColorSpace(profile) != cmsSigRgbData || kind == cmsSigLinkClass ||
        kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass) {
        cmsCloseProfile(profile);
        return ProfileOutcome::NotRgb;
    }
    if (!MakeTransform(built.get(), profile)) return ProfileOutcome::Unreadable;
    built->key = std::move(key);
    Keep(built);
    built_ = std::move(built);
    return ProfileOutcome::Converted;
}

ProfileOutcome ColourTransform::FromNclx(const NclxColour& nclx) {
    built_.reset();
    Chromaticities c{};
    int type = 0;
    double params[5] = {};
    if (!PrimariesOf(nclx.primaries, &c) || !CurveOf(nclx.transfer, &type, params))
        return ProfileOutcome::Unsupported;
    const bool srgbPrimaries = nclx.primaries == 1 || nclx.primaries == 2;
    const bool srgbCurve = nclx.transfer == 13 || nclx.transfer == 2;
    if (srgbPrimaries && srgbCurve) return ProfileOutcome::None;
    // Kept apart from profile bytes: no profile is this short.
    std::vector<uint8_t> key = {'n', 'c', 'l', 'x', static_cast<uint8_t>(nclx.primaries),
                                static_cast<uint8_t>(nclx.transfer)};
    if ((built_ = FindKept(key)) != nullptr) return ProfileOutcome::Converted;
    auto built = std::make_shared<Built>();
    built->context = NewContext();
    if (built->context == nullptr) return ProfileOutcome::Unsupported;
    const cmsCIExyY white = {c.white[0], c.white[1], 1.0};
    const cmsCIExyYTRIPLE primaries = {
        {c.red[0], c.red[1], 1.0}, {c.green[0], c.green[1], 1.0}, {c.blue[0], c.blue[1], 1.0}};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(built->context, type, params);
    if (curve == nullptr) return ProfileOutcome::Unsupported;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfileTHR(built->context, &white, &primaries, curves);
    cmsFreeToneCurve(curve);
    if (profile == nullptr || !MakeTransform(built.get(), profile))
        return ProfileOutcome::Unsupported;
    built->key = std::move(key);
    Keep(built);
    built_ = std::move(built);
    return ProfileOutcome::Converted;
}

void ColourTransform::Convert(uint8_t* row, int width) const {
    if (built_ == nullptr || width <= 0) return;
    // Same pixel format in and out, so the row is converted where it is.
    cmsDoTransform(built_->transform, row, row, static_cast<cmsUInt32Number>(width));
}

void ColourTransform::AttachTo(RowTarget& target) {
    if (built_ == nullptr) return;
    target.SetRowTransform(
        [](void* self, uint8_t* row, int width) {
            static_cast<const ColourTransform*>(self)->Convert(row, width);
        },
        this);
}

}  // namespace vig::image
