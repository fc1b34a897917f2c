// Thumbnail names and output folders: the naming styles, the extension of
// each output format, the letter-case step and folder creation with all
// missing parents.
#pragma once

#include <string>

namespace vig::options {
struct BatchOptions;
}

namespace vig::engine {

// base + extension under a rename style (0 overwrite, 1 prefix, 2 suffix,
// 3 automatic number; any other value overwrites). ext may start with a dot.
// Style 3 counts the digits at the end of base up (any length) until a name
// is free; a candidate is tested under the name it really gets, that is
// after ApplyOutputCase with nameCase.
std::string BuildOutputName(const std::string& base, const std::string& ext, int style,
                            const std::string& extraText, int nameCase = 0);

// The letter-case step on the file name of path (folders untouched):
// 1 lower, 2 upper, anything else unchanged. ASCII letters only.
std::string ApplyOutputCase(const std::string& path, int nameCase);

// The thumbnail extension, without dot, for an output format; "same as
// input" formats (1-3) take the extension, in upper case, of the format the
// codec table gives the source's input format ("JPG" for .jpg, .heic, .avif
// and .webp files); "" for an extension no reader has.
std::string OutputExtension(const std::string& sourceExtension, int outputFormat);

// The extension with dot of a composite file in that format.
std::string FormatExtension(int format);

// The save format for an image read in inputFormat under mainOutputFormat:
// 1-3 follow the input as the codec table says ("8 bit" keeps JPEG full
// colour; HEIF, AVIF and WebP give JPEG), 4-19 stay, other values and
// unknown inputs give 0 (nothing is written).
int ResolveOutputFormat(int mainOutputFormat, int inputFormat);

// The output path of the window's "Single File Start": the output folder,
// the single file's name without its extension (one a reader knows, else
// its last four characters), named by the rename style and the output
// format (no letter-case step).
std::string SingleFileOutputPath(const options::BatchOptions& options,
                                 const std::string& singleFilePath);

// Creates every missing folder of path, outermost first. The first
// component (everything before the first separator) is never created, so a
// single-component path creates nothing. False when a folder could not be
// created for any reason other than already existing.
bool CreateFolderPath(const std::string& path);

// The number in decimal text plus one, for digit runs of any length
// ("" stands for 0 and gives "1").
std::string IncrementDecimal(const std::string& digits);

}  // namespace vig::engine
