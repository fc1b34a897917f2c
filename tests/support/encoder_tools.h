// Test pictures made at test time by the Debian encoders (heif-enc, cwebp,
// img2webp, webpmux) and read back by their reference decoders
// (heif-convert, dwebp): running the tools, and PNG and PAM files of raw
// samples (8 or 16 bits, with or without alpha) to hand to them and take
// from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vig::test {

// The program of that name on PATH; "" when there is none.
std::string FindProgram(const std::string& name);

// Runs a program (looked up on PATH) with these arguments, no shell
// between, its output thrown away; true when it exits with status 0.
bool RunProgram(const std::vector<std::string>& args);

// The first of these programs that is missing, "" when all are there.
std::string MissingProgram(const std::vector<std::string>& names);

// In a GoogleTest body: skips the test when one of the programs is missing.
#define VIG_SKIP_WITHOUT(...)                                                                     \
    do {                                                                                          \
        if (const std::string missing = ::vig::test::MissingProgram({__VA_ARGS__});               \
            !missing.empty())                                                                     \
            GTEST_SKIP() << missing << " is not installed (scripts/setup.sh --test installs it)"; \
    } while (0)

// Interleaved samples, rows top first.
struct Samples {
    int width = 0;
    int height = 0;
    int channels = 3;  // 3 RGB, 4 RGBA
    int depth = 8;     // bits a sample: 8 or 16
    std::vector<uint16_t> values;

    uint16_t At(int x, int y, int c) const {
        return values[(static_cast<size_t>(y) * static_cast<size_t>(width) +
                       static_cast<size_t>(x)) *
                          static_cast<size_t>(channels) +
                      static_cast<size_t>(c)];
    }
    // The 8-bit RGB bytes (only for depth 8; alpha dropped).
    std::vector<uint8_t> Rgb8() const;
};

// A picture with smooth runs and hard edges, its values up to 2^depth - 1;
// with four channels an alpha that runs from transparent to opaque across
// the picture, with a fully transparent and a fully opaque band.
Samples TestPicture(int width, int height, int channels, int depth);

// A PNG of the samples (depth 8 or 16), with an iCCP chunk holding `icc`
// when it is not empty.
bool WritePngSamples(const std::string& path, const Samples& samples,
                     const std::vector<uint8_t>& icc = {});
// The samples of an 8- or 16-bit RGB or RGBA PNG as stored.
bool ReadPngSamples(const std::string& path, Samples* samples);
// The samples of a PAM or PPM file (dwebp's -pam and -ppm) of MAXVAL 255.
bool ReadPnmSamples(const std::string& path, Samples* samples);

// Runs an encoder on `source`, written first as a PNG (with `icc` as its
// profile) at path + ".src.png": {command..., "-o", path, that PNG}.
bool EncodePicture(const std::string& path, const Samples& source,
                   const std::vector<std::string>& command, const std::vector<uint8_t>& icc = {});

// An ICC profile of `size` bytes (at least 160) that libpng takes: an RGB
// display profile header and one tag of filler bytes.
std::vector<uint8_t> TestIccProfile(size_t size);

}  // namespace vig::test
