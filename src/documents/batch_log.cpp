// The batch log: a header block recording the settings of the run, then
// lines for every file and every failure. Numbers and dates are written the
// same way whatever the locale.
#include "documents/batch_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "documents/writing.h"
#include "options/enums.h"
#include "platform/files.h"

namespace vig::documents {
namespace {

using documents::Put;

constexpr char kSeparatorLine[] = "----------------------------------\n";

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

// Output format names by code 0..19.
constexpr const char* kFormatNames[] = {"none",
                                        "24-bit same as input",
                                        "8-bit, same as input",
                                        "8-bit grayscale, same as input",
                                        "JPG",
                                        "JPG grayscale",
                                        "BMP-24",
                                        "BMP-8",
                                        "BMP-8 grayscale",
                                        "PNG-24",
                                        "PNG-8",
                                        "PNG-8 grayscale",
                                        "TIFF-24",
                                        "TIFF-8",
                                        "TIFF-8 grayscale",
                                        "PCX-24",
                                        "PCX-8",
                                        "PCX-8 grayscale",
                                        "GIF",
                                        "GIF grayscale"};
constexpr const char* kResizeNames[] = {"No resize",  "Best fit",   "Fixed width", "Fixed height",
                                        "Exact size", "Pixel area", "Percentage"};
constexpr const char* kEnhanceNames[] = {"None",           "Lighten midtones", "Darken midtones",
                                         "Raise contrast", "Extreme contrast", "User defined LUT"};
constexpr const char* kOverlayPositionNames[] = {
    "Bottom Left", "Top",          "Bottom", "Left",     "Right",       "Top Left",  "Top Right",
    "Bottom Left", "Bottom Right", "Center", "Top Edge", "Bottom Edge", "Left Edge", "Right Edge"};
constexpr const char* kRotationNames[] = {"", "90cw", "180", "270cw"};

std::string Int(long long value) {
    return std::to_string(value);
}

// printf's "%f" in the C locale.
std::string Fixed(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (r.ec != std::errc()) return "0.000000";
    return std::string(buf, r.ptr);
}

std::string Two(int value) {
    std::string s = std::to_string(value);
    return s.size() < 2 ? "0" + s : s;
}

std::string Rgb(options::Colour c) {
    return Int(options::ColourRed(c)) + "," + Int(options::ColourGreen(c)) + "," +
           Int(options::ColourBlue(c));
}

template <size_t N>
const char* Name(const char* const (&table)[N], int index, const char* other) {
    return index >= 0 && static_cast<size_t>(index) < N ? table[index] : other;
}

// The opacity as a whole percentage, cut toward zero; values beyond the int
// range are held at its ends.
int OpacityPercent(double opacity) {
    const double v = opacity * 100.0;
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace

std::string LogDateLine(std::time_t start) {
    std::tm tm{};
    if (localtime_r(&start, &tm) == nullptr) return "\n";
    const std::string date = std::string(Name(kDayNames, tm.tm_wday, "")) + ", " +
                             Name(kMonthNames, tm.tm_mon, "") + " " + Two(tm.tm_mday) + ", " +
                             Int(static_cast<long long>(tm.tm_year) + 1900);
    const std::string time = Two(tm.tm_hour) + ":" + Two(tm.tm_min) + ":" + Two(tm.tm_sec);
    return date + " - " + time + "\n";
}

void WriteLogHeader(std::FILE* log, const options::BatchOptions& o, std::time_t start) {
    if (log == nullptr) return;
    std::string s = "Vignettor Log\n" + LogDateLine(start);
    s += kSeparatorLine;
    s += "Input directory " + o.MainSrcPath + "\nOutput directory " + o.MainDestPath + "\n";
    std::string filters;
    if (options::On(o.OutputFilterBMP)) filters += "BMP ";
    if (options::On(o.OutputFilterGIF)) filters += "GIF ";
    if (options::On(o.OutputFilterJPG)) filters += "JPG ";
    if (options::On(o.OutputFilterTIF)) filters += "TIF ";
    if (options::On(o.OutputFilterPNG)) filters += "PNG ";
    if (options::On(o.OutputFilterHEIF)) filters += "HEIF ";
    if (options::On(o.OutputFilterAVIF)) filters += "AVIF ";
    if (options::On(o.OutputFilterWEBP)) filters += "WEBP ";
    s += "Input file format filter : " + filters + "\n";
    s += "Input file filter " + o.OutputFilterString + "\n";
    s += kSeparatorLine;
    if (options::On(o.OpsSilentOperation)) {
        s += "Silent Operation\n";
        s += kSeparatorLine;
    }
    s += std::string("Output format : ") + Name(kFormatNames, o.MainOutputFormat, "") + "\n";
    s += std::string("Resize type : ") + Name(kResizeNames, o.MainResizeMethod, "") + "\n";
    if (o.MainResizeMethod == options::PixelArea)
        s += "Output Area : " + Int(o.MainWidth) + " (pixels)\n";
    else
        s += "Output dimensions : " + Int(o.MainWidth) + " x " + Int(o.MainHeight) + "\n";
    s += kSeparatorLine;
    s += "JPG Quality : " + Int(o.JPGQuality) + "\n";
    if (options::On(o.ImageSharpen)) {
        s += "Sharpening On\n";
        s += "Sharpening level " + Int(o.ImageSharpenLevel) + "\n";
    }
    if (options::On(o.ImageMatte)) {
        s += "Matte On\n";
        s += "Matte color RGB : " + Rgb(o.ImageMatteColor) + "\n";
    }
    s += std::string("Enhancement : ") + Name(kEnhanceNames, o.ImageEnhanceType, "None") + "\n";
    if (o.ImageEnhanceType == options::UserLut)
        s += "Enhancement User LUT: " + o.ImageUserLUTPath + "\n";
    s += kSeparatorLine;
    s += "PNG file gamma  : " + Fixed(o.PNGFileGamma) +
         "\nPNG screen gamma : " + Fixed(o.PNGScreenGamma) + "\n";
    s += "PNG background color RGB : " + Rgb(o.PNGBkColor) + "\n";
    s += "PNG key : " + o.PNGKey + "\n";
    s += std::string("PNG text ") + (options::On(o.PNGCompressPNGText) ? "(compressed)" : "") +
         " : " + o.PNGText + "\n";
    if (options::On(o.PNGCopyPNGText)) s += "PNG text copied from source files\n";
    if (options::On(o.OverlayOverlay)) {
        s += kSeparatorLine;
        s += "Overlay image : " + o.OverlayPath + "\n";
        s += "Overlay transparent color RGB : " + Rgb(o.OverlayTransColor) + "\n";
        s += std::string("Overlay position : ") +
             Name(kOverlayPositionNames, o.OverlayPos, "Bottom Left") + "\n";
        s += "Overlay opacity : " + Int(OpacityPercent(o.OverlayOpacity)) + "%\n";
        s +=
            std::string("Overlay rotation : ") + Name(kRotationNames, o.OverlayRotation, "") + "\n";
    }
    s += kSeparatorLine;
    Put(log, s);
}

void WriteLogInputLines(std::FILE* log, const options::BatchOptions& options,
                        const std::string& displayPath, int width, int height,
                        const std::vector<image::PngTextEntry>& texts) {
    if (log == nullptr) return;
    if (options::On(options.LogInputName)) {
        Put(log, "Input   : " + displayPath + "  ");
        if (options::On(options.LogInputDims))
            Put(log, "( " + Int(width) + " x " + Int(height) + " )\n");
    }
    if (options::On(options.LogPNGText) && options::On(options.LogMakeLog)) {
        for (const image::PngTextEntry& e : texts)
            Put(log, "PNG Text : " + e.key + " " + (e.compressed ? "(Compressed)" : "") + " : " +
                         e.text + "\n");
    }
}

void WriteLogOutputLine(std::FILE* log, const options::BatchOptions& options,
                        const std::string& outputPath, int width, int height) {
    if (log == nullptr || !options::On(options.LogOutName)) return;
    Put(log, "Output  : " + outputPath + "  ");
    if (options::On(options.LogOutputDims))
        Put(log, "( " + Int(width) + " x " + Int(height) + " )\n");
}

void WriteLogErrorLine(std::FILE* log, image::ErrorCode code) {
    if (log == nullptr) return;
    Put(log, "** Error " + image::ErrorText(code) + "\n");
}

BatchLog::BatchLog() : replacement_(std::make_unique<platform::PendingFile>()) {}

BatchLog::~BatchLog() {
    if (lines_ != nullptr) std::fclose(lines_);
    if (fd_ >= 0) close(fd_);
}

ssize_t BatchLog::Gather(void* cookie, const char* data, size_t size) {
    try {
        static_cast<std::string*>(cookie)->append(data, size);
        return static_cast<ssize_t>(size);
    } catch (...) {
        return 0;  // a write error of the stream
    }
}

bool BatchLog::Open(const options::BatchOptions& options, std::time_t start,
                    documents::DocumentGuard& guard) {
    if (!options::On(options.LogMakeLog)) return false;
    guard_ = &guard;
    append_ = options::On(options.LogAppend);
    target_ = platform::FollowLinks(options.LogPath);
    const auto fail = [&](image::ErrorCode code) {
        guard.Failed(options.LogPath, code, documents::kContextWriteLog);
        return false;
    };
    if (options.LogPath.empty()) return fail(image::ErrOpenFile);
    if (!guard.MayWrite(target_)) return fail(image::ErrWouldReplace);
    if (append_) {
        // Never a pipe or a device: opening does not wait for a reader, and
        // only a regular file is appended to.
        fd_ = open(target_.c_str(),
                   O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
        struct stat st {};
        if (fd_ < 0) return fail(image::ErrOpenFile);
        if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd_);
            fd_ = -1;
            return fail(image::ErrWriteFile);
        }
    } else if (!platform::MayReplace(target_)) {
        return fail(image::ErrWriteFile);
    } else if (!replacement_->Begin(target_)) {
        return fail(image::ErrOpenFile);
    }
    lines_ = fopencookie(&gathered_, "w", cookie_io_functions_t{nullptr, Gather, nullptr, nullptr});
    if (lines_ == nullptr) {
        replacement_->Abandon();
        return fail(image::ErrOutOfMemory);
    }
    if (options::On(options.LogHeader)) WriteLogHeader(lines_, options, start);
    return true;
}

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool BatchLog::Append(const std::string& text) {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return false;
    if (WriteAll(fd_, text.data(), text.size())) return true;
    // The lines written before stay; of these, not a part.
    if (ftruncate(fd_, st.st_size) != 0) {
        // What stays of them is reported with the failure all the same.
    }
    return false;
}

void BatchLog::Fail(image::ErrorCode code) {
    failed_ = true;
    replacement_->Abandon();
    // The guard may tell the run's log of this very failure: those lines
    // go nowhere.
    guard_->Failed(target_, code, documents::kContextWriteLog);
    gathered_.clear();
}

void BatchLog::Flush() {
    if (lines_ == nullptr) return;
    const bool gathered = std::fflush(lines_) == 0;
    std::string text;
    text.swap(gathered_);
    if (failed_) return;
    if (!gathered) return Fail(image::ErrWriteFile);
    documents::DocumentGuard& guard = *guard_;
    if (!guard.MayWrite(target_)) return Fail(image::ErrWouldReplace);
    if (replacement_->active()) {
        // The new log takes the old one's place with its first lines.
        if (!WriteAll(replacement_->fd(), text.data(), text.size()) ||
            replacement_->Commit(&fd_) != platform::PendingFile::Result::Done)
            return Fail(image::ErrWriteFile);
        return;
    }
    if (!text.empty() && !Append(text)) Fail(image::ErrWriteFile);
}

bool BatchLog::Finish() {
    if (lines_ == nullptr) return false;
    Flush();
    std::fclose(lines_);
    lines_ = nullptr;
    if (failed_) return false;
    documents::DocumentGuard& guard = *guard_;
    bool ok = true;
    if (!append_) {
        // Something else may have taken the log's place since: a document
        // of the run keeps it (the log is refused, as it would have been
        // had it come last), anything else is replaced again.
        struct stat own {};
        platform::FileIdentity there;
        const bool inPlace = fstat(fd_, &own) == 0 && platform::IdentityOf(target_, &there) &&
                             there.device == static_cast<uint64_t>(own.st_dev) &&
                             there.inode == static_cast<uint64_t>(own.st_ino);
        if (!inPlace) {
            if (!guard.MayWrite(target_)) {
                close(fd_);
                fd_ = -1;
                Fail(image::ErrWouldReplace);
                return false;
            }
            ok = replacement_->Begin(target_) && replacement_->CopyFrom(fd_) &&
                 replacement_->Commit() == platform::PendingFile::Result::Done;
        }
    }
    ok = close(fd_) == 0 && ok;
    fd_ = -1;
    if (!ok) {
        Fail(image::ErrWriteFile);
        return false;
    }
    guard.Written(target_);
    return true;
}

}  // namespace vig::documents
