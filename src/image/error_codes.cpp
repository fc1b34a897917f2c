#include "image/error_codes.h"

#include "platform/translation.h"

namespace vig::image {

std::string ErrorText(ErrorCode code) {
    switch (code) {
        case ErrNone: return "<none>";
        case ErrOutOfMemory:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Out of memory");
        case ErrOpenFile:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Unable to open file");
        case ErrReadFile:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Unable to read file");
        case ErrWriteFile:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Unable to write file");
        case ErrParameter:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Parameter error");
        case ErrInvalidBmp:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid BMP file");
        case ErrRleBmp:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "RLE BMP files are not supported");
        case ErrInvalidGif:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid GIF file");
        case ErrInvalidJpg:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid JPG file");
        case ErrDeviceContext:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Device context");
        case ErrGetDIBits: return "<GetDIBits>";
        case ErrResourceNotFound:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Resource not found");
        case ErrCancelled:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Operation cancelled by callback");
        case ErrInvalidPng:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid PNG file");
        case ErrPngCreate:
            return QT_TRANSLATE_NOOP("vig::ErrorText",
                                     "Internal PNG creation error - possibly bad params");
        case ErrInternal:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Internal error");
        case ErrCreateFont:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Unable to create font");
        case ErrInvalidTiff:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid TIFF file");
        case ErrInvalidPcx:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid PCX file");
        case ErrInvalidHeif:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid HEIF file");
        case ErrInvalidWebp:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid WebP file");
        case ErrInvalidAvif:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Invalid AVIF file");
        case ErrUnsupportedHeif:
            return QT_TRANSLATE_NOOP("vig::ErrorText",
                                     "HEIF/AVIF file of a kind that cannot be decoded");
        case ErrCreateOutputDir:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Can't create output directory");
        case ErrCreateOutputTree:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Can't create output tree");
        case ErrGetCurrentFolder:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Can't get current folder");
        case ErrChangeFolder:
            return QT_TRANSLATE_NOOP("vig::ErrorText", "Can't change folder");
        case ErrNoCommonRoot:
            return QT_TRANSLATE_NOOP("vig::ErrorText",
                                     "Vignettor will be unable to create HTML links.\n"
                                     "Source and Destination folders do not share a common root.");
        case ErrCompositeMethod:
            return QT_TRANSLATE_NOOP(
                "vig::ErrorText",
                "Can't create composite image unless :\n"
                "1) Best Fit or Exact Size resize method is used\n"
                "2) Fixed Width or Fixed Height resize method is used with background matting "
                "On.");
        case ErrWouldReplace:
            return QT_TRANSLATE_NOOP(
                "vig::ErrorText",
                "Not written: it would replace an input file or a file written by this run");
        default: return "Error #" + std::to_string(code);
    }
}

}  // namespace vig::image
