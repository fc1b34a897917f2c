// Error codes of the whole program: 0 is success, 1-26 come from the image
// library and the image object, 50-56 from the batch engine.
#pragma once

#include <string>

namespace vig::image {

using ErrorCode = int;

enum : ErrorCode {
    ErrNone = 0,
    ErrOutOfMemory = 1,
    ErrOpenFile = 2,
    ErrReadFile = 3,
    ErrWriteFile = 4,
    ErrParameter = 5,
    ErrInvalidBmp = 6,
    ErrRleBmp = 7,
    ErrInvalidGif = 8,
    ErrInvalidJpg = 9,
    ErrDeviceContext = 10,
    ErrGetDIBits = 11,
    ErrResourceNotFound = 13,
    ErrCancelled = 14,
    ErrInvalidPng = 15,
    ErrPngCreate = 16,
    ErrInternal = 17,
    ErrCreateFont = 18,
    ErrInvalidTiff = 20,
    ErrInvalidPcx = 22,
    ErrInvalidHeif = 23,
    ErrInvalidWebp = 24,
    ErrInvalidAvif = 25,
    // A HEIF or AVIF file whose coding or features the decoders lack.
    ErrUnsupportedHeif = 26,
    ErrCreateOutputDir = 50,
    ErrCreateOutputTree = 51,
    ErrGetCurrentFolder = 52,
    ErrChangeFolder = 53,
    ErrNoCommonRoot = 54,
    ErrCompositeMethod = 55,
    // A document or sheet that would take the place of an input of the run
    // or of a file the run wrote itself.
    ErrWouldReplace = 56,
    // What the image object answers for an extension it has no reader for.
    ErrUnknownFormat = 60,
};

// The message of a code; "Error #%d" for codes without a text of their own.
// In English, as logs keep it; Translate(kErrorTextContext, ...) gives it in
// the user's language.
std::string ErrorText(ErrorCode code);
inline constexpr const char* kErrorTextContext = "vig::ErrorText";

}  // namespace vig::image
