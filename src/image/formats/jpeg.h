// JPEG reading and writing through libjpeg(-turbo).
//
// Reading decodes at full size with libjpeg's default output colour space;
// gray files are widened to RGB and CMYK/YCCK files are turned into their RGB
// appearance. The progress callback runs once per scanline. Warnings (a
// truncated file) do not stop decoding. Any libjpeg fatal error gives
// ErrInvalidJpg.
#pragma once

#include <cstdint>
#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::jpeg {

PixelBlock Read(const std::string& path, int* width, int* height);

// Read with hints: the EXIF orientation is looked up when asked for and
// applied as the rows are decoded; the plan's minimum size picks the
// smallest of libjpeg's scales M/8 (M = 1..8) that still gives at least that
// size (DraftScale), and its reduction is made as the rows are decoded. The
// decoding memory (rows, and the coefficients of a progressive file) is
// reserved from the thread's memory budget first. *info gets the full size
// as stored, the orientation and whether the pixels are the reduction.
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);

// The numerator M of the smallest scale M/8 at which a fullWidth x
// fullHeight picture decodes to at least minWidth x minHeight (libjpeg
// rounds scaled sizes up: ceil(full * M / 8)); 8 when no smaller scale does.
int DraftScale(int fullWidth, int fullHeight, int minWidth, int minHeight);

// Writes a baseline JPEG of `quality` (libjpeg clamps it to 1..100). With
// colour false the file is grayscale, each pixel reduced by GrayLevel.
// 1 on success, 0 on failure (code in the last error).
int Write(const std::string& path, const uint8_t* rgb, int width, int height, int quality,
          bool colour);

// The gray value of the grayscale writer: (0.587 G + 0.114 B) + 0.299 R,
// truncated.
uint8_t GrayLevel(uint8_t red, uint8_t green, uint8_t blue);

// libjpeg's messages are shown only while this switch is on (off by
// default). They go to the message sink, titled "JPEG Fatal Error" for fatal
// errors and "JPEG Error" otherwise; without a sink, to stderr.
void SetShowCodecMessages(bool on);
using CodecMessageSink = void (*)(const char* title, const char* message);
void SetCodecMessageSink(CodecMessageSink sink);

// Save-table writers: output formats 4 (colour) and 5 (grayscale).
int WriteColourEntry(const WriteRequest& request);
int WriteGrayEntry(const WriteRequest& request);

}  // namespace vig::image::jpeg
