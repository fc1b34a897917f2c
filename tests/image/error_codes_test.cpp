#include "image/error_codes.h"

#include <gtest/gtest.h>

namespace vig {
namespace {

TEST(ErrorText, EveryCodeHasItsText) {
    const std::pair<image::ErrorCode, const char*> table[] = {
        {0, "<none>"},
        {1, "Out of memory"},
        {2, "Unable to open file"},
        {3, "Unable to read file"},
        {4, "Unable to write file"},
        {5, "Parameter error"},
        {6, "Invalid BMP file"},
        {7, "RLE BMP files are not supported"},
        {8, "Invalid GIF file"},
        {9, "Invalid JPG file"},
        {10, "Device context"},
        {11, "<GetDIBits>"},
        {13, "Resource not found"},
        {14, "Operation cancelled by callback"},
        {15, "Invalid PNG file"},
        {16, "Internal PNG creation error - possibly bad params"},
        {17, "Internal error"},
        {18, "Unable to create font"},
        {20, "Invalid TIFF file"},
        {22, "Invalid PCX file"},
        {23, "Invalid HEIF file"},
        {24, "Invalid WebP file"},
        {25, "Invalid AVIF file"},
        {26, "HEIF/AVIF file of a kind that cannot be decoded"},
        {50, "Can't create output directory"},
        {51, "Can't create output tree"},
        {52, "Can't get current folder"},
        {53, "Can't change folder"},
        {54,
         "Vignettor will be unable to create HTML links.\nSource and Destination folders do "
         "not share a common root."},
        {55,
         "Can't create composite image unless :\n1) Best Fit or Exact Size resize method is "
         "used\n2) Fixed Width or Fixed Height resize method is used with background matting "
         "On."},
    };
    for (const auto& [code, text] : table) EXPECT_EQ(image::ErrorText(code), text) << code;
}

TEST(ErrorText, CodesWithoutTextAreNumbered) {
    EXPECT_EQ(image::ErrorText(12), "Error #12");
    EXPECT_EQ(image::ErrorText(19), "Error #19");
    EXPECT_EQ(image::ErrorText(21), "Error #21");
    EXPECT_EQ(image::ErrorText(60), "Error #60");
    EXPECT_EQ(image::ErrorText(-1), "Error #-1");
}

}  // namespace
}  // namespace vig
