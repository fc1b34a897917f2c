#include "image/error_codes.h"

namespace vig {

std::string ErrorText(ErrorCode code) {
    switch (code) {
        case ErrNone: return "<none>";
        case ErrOutOfMemory: return "Out of memory";
        case ErrOpenFile: return "Unable to open file";
        case ErrReadFile: return "Unable to read file";
        case ErrWriteFile: return "Unable to write file";
        case ErrParameter: return "Parameter error";
        case ErrInvalidBmp: return "Invalid BMP file";
        case ErrRleBmp: return "RLE BMP files are not supported";
        case ErrInvalidGif: return "Invalid GIF file";
        case ErrInvalidJpg: return "Invalid JPG file";
        case ErrDeviceContext: return "Device context";
        case ErrGetDIBits: return "<GetDIBits>";
        case ErrResourceNotFound: return "Resource not found";
        case ErrCancelled: return "Operation cancelled by callback";
        case ErrInvalidPng: return "Invalid PNG file";
        case ErrPngCreate: return "Internal PNG creation error - possibly bad params";
        case ErrInternal: return "Internal error";
        case ErrCreateFont: return "Unable to create font";
        case ErrInvalidTiff: return "Invalid TIFF file";
        case ErrInvalidPcx: return "Invalid PCX file";
        case ErrInvalidHeif: return "Invalid HEIF file";
        case ErrInvalidWebp: return "Invalid WebP file";
        case ErrInvalidAvif: return "Invalid AVIF file";
        case ErrUnsupportedHeif: return "HEIF/AVIF file of a kind that cannot be decoded";
        case ErrCreateOutputDir: return "Can't create output directory";
        case ErrCreateOutputTree: return "Can't create output tree";
        case ErrGetCurrentFolder: return "Can't get current folder";
        case ErrChangeFolder: return "Can't change folder";
        case ErrNoCommonRoot:
            return "Vignettor will be unable to create HTML links.\n"
                   "Source and Destination folders do not share a common root.";
        case ErrCompositeMethod:
            return "Can't create composite image unless :\n"
                   "1) Best Fit or Exact Size resize method is used\n"
                   "2) Fixed Width or Fixed Height resize method is used with background matting "
                   "On.";
        case ErrWouldReplace:
            return "Not written: it would replace an input file or a file written by this run";
        default: return "Error #" + std::to_string(code);
    }
}

}  // namespace vig
