// ICC profiles the colour tests embed, made with LittleCMS itself, and
// transicc (liblcms2-utils) as the reference for what a profile's colours
// are in sRGB. Tests that use these link PkgConfig::LCMS2.
#pragma once

#include <lcms2.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vig::test {

using Rgb = std::array<uint8_t, 3>;

inline std::vector<uint8_t> SavedProfile(cmsHPROFILE profile) {
    std::vector<uint8_t> bytes;
    cmsUInt32Number size = 0;
    if (profile != nullptr && cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
    }
    if (profile != nullptr) cmsCloseProfile(profile);
    return bytes;
}

// An RGB profile of these primaries (x, y of red, green, blue) under D65
// with the sRGB tone curve.
inline std::vector<uint8_t> RgbProfile(const double xy[6]) {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {
        {xy[0], xy[1], 1.0}, {xy[2], xy[3], 1.0}, {xy[4], xy[5], 1.0}};
    const double params[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, params);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return SavedProfile(profile);
}

// Display P3: the DCI-P3 primaries, D65 white and the sRGB tone curve.
inline std::vector<uint8_t> DisplayP3Profile() {
    static const double kP3[6] = {0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
    return RgbProfile(kP3);
}

// A gray profile of gamma 2.2.
inline std::vector<uint8_t> GrayProfile() {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return SavedProfile(profile);
}

// A small CMYK output profile (its ink to Lab table has two points a side).
inline std::vector<uint8_t> CmykProfile() {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);  // its table as a lut16Type
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 2, 4, 3, nullptr);
    cmsStageSampleCLut16bit(
        table,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void*) -> cmsInt32Number {
            const int ink = in[0] / 4 + in[1] / 4 + in[2] / 4 + in[3] / 4;
            out[0] = static_cast<cmsUInt16Number>(65535 - ink);  // L*
            out[1] = out[2] = 0x8080;                            // neutral a*, b*
            return 1;
        },
        nullptr, 0);
    cmsPipelineInsertStage(lut, cmsAT_BEGIN, table);
    cmsWriteTag(profile, cmsSigAToB0Tag, lut);
    cmsPipelineFree(lut);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    return SavedProfile(profile);
}

// The first `size` bytes of a profile (a profile cut short).
inline std::vector<uint8_t> Truncated(const std::vector<uint8_t>& profile, size_t size) {
    return {profile.begin(), profile.begin() + static_cast<std::ptrdiff_t>(size)};
}

// The profile with the type of every tag's data made unknown ("junk"),
// its header and tag table whole: a profile damaged inside that passes
// checks of its layout (as libpng makes).
inline std::vector<uint8_t> TagsScrambled(std::vector<uint8_t> profile) {
    if (profile.size() < 132) return profile;
    const auto u32 = [&](size_t at) {
        return (uint32_t{profile[at]} << 24) | (uint32_t{profile[at + 1]} << 16) |
               (uint32_t{profile[at + 2]} << 8) | profile[at + 3];
    };
    const uint32_t count = u32(128);
    for (uint32_t i = 0; i < count && 132 + 12 * (i + 1) <= profile.size(); ++i) {
        const uint32_t offset = u32(132 + 12 * i + 4);
        if (offset + 4 <= profile.size())
            for (int k = 0; k < 4; ++k) profile[offset + k] = static_cast<uint8_t>("junk"[k]);
    }
    return profile;
}

inline bool TransiccInstalled() {
    return std::system("command -v transicc >/dev/null 2>&1") == 0;
}

// What transicc makes of these colours under the profile, in sRGB with the
// perceptual intent, computed in floating point and clipped to 0..255;
// empty when it could not be run.
inline std::vector<std::array<double, 3>> TransiccToSrgb(const std::vector<uint8_t>& profile,
                                                         const std::vector<Rgb>& colours) {
    TempDir dir;
    std::string input;
    for (const Rgb& c : colours)
        input += std::to_string(c[0]) + " " + std::to_string(c[1]) + " " + std::to_string(c[2]) +
                 "\n";
    if (!WriteFileBytes(dir / "in.icc", profile) || !WriteFileText(dir / "in.txt", input))
        return {};
    const std::string command = "transicc -i'" + (dir / "in.icc") + "' -t0 -c0 -s -n < '" +
                                (dir / "in.txt") + "' > '" + (dir / "out.txt") + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return {};
    std::vector<std::array<double, 3>> out;
    std::FILE* f = std::fopen((dir / "out.txt").c_str(), "r");
    if (f == nullptr) return {};
    std::array<double, 3> v{};
    while (std::fscanf(f, "%lf %lf %lf", &v[0], &v[1], &v[2]) == 3) out.push_back(v);
    std::fclose(f);
    if (out.size() != colours.size()) out.clear();
    return out;
}

}  // namespace vig::test
