#include "engine/batch_engine.h"

#include <array>
#include <ctime>
#include <vector>

#include "documents/batch_log.h"
#include "documents/composite.h"
#include "documents/html_pages.h"
#include "engine/engine_texts.h"
#include "engine/engine_util.h"
#include "engine/output_naming.h"
#include "engine/report.h"
#include "engine/run_host.h"
#include "engine/source_scan.h"
#include "image/codec_table.h"
#include "image/cpx_image.h"
#include "image/image_library.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace vig {
namespace {

void PumpThroughHost(void* context, int maxMilliseconds) {
    static_cast<RunHost*>(context)->PumpMessages(maxMilliseconds);
}

// The nearest palette entry (4-byte entries blue, green, red, 0) to a
// colour: the first of equal distances wins, an exact match ends the search.
int NearestEntry(const uint8_t* palette, int count, PackedColour colour) {
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    long best = -1;
    int bestIndex = 0;
    for (int k = 0; k < count; ++k) {
        const uint8_t* e = palette + 4 * k;
        const long d = static_cast<long>((e[2] - r) * (e[2] - r)) + (e[1] - g) * (e[1] - g) +
                       (e[0] - b) * (e[0] - b);
        if (best < 0 || d < best) {
            best = d;
            bestIndex = k;
            if (d == 0) break;
        }
    }
    return bestIndex;
}

// Matting applies to best fit and to fixed width or height.
bool MatteApplies(const BatchOptions& o) {
    const int m = o.MainResizeMethod;
    return On(o.ImageMatte) && (m == BestFit || m == FixedWidth || m == FixedHeight);
}

}  // namespace

// Holds the running flag and the image library's message pump for the
// length of one run or single-file operation.
class BatchEngine::RunScope {
public:
    explicit RunScope(BatchEngine& engine) : engine_(engine) {
        engine_.running_ = true;
        SetMessagePump(PumpThroughHost, &engine_.host_);
    }
    ~RunScope() {
        SetMessagePump(nullptr, nullptr);
        engine_.running_ = false;
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    BatchEngine& engine_;
};

int ResolveOutputFormat(int mainOutputFormat, int inputFormat) {
    if (mainOutputFormat >= FormatJpg && mainOutputFormat <= FormatGifGray) return mainOutputFormat;
    if (mainOutputFormat < FormatSame24 || mainOutputFormat > FormatSameGray) return 0;
    static constexpr int kInputs[] = {InputJpeg, InputBmp, InputPng, InputTiff, InputPcx, InputGif};
    static constexpr int kTable[3][6] = {
        {4, 6, 9, 12, 15, 18},   // 24 bit, same as input
        {4, 7, 10, 13, 16, 18},  // 8 bit, same as input
        {5, 8, 11, 14, 17, 19},  // grayscale, same as input
    };
    for (int i = 0; i < 6; ++i)
        if (kInputs[i] == inputFormat) return kTable[mainOutputFormat - 1][i];
    return 0;
}

bool SharesCommonRoot(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() && paths::FoldCase(a[0]) == paths::FoldCase(b[0]);
}

ErrorCode SaveImageFile(CPxImage& image, const std::string& path, int format) {
    if (image.empty()) return ErrParameter;
    if (FindWriter(format) == nullptr) return ErrNone;
    std::string temp;
    if (!platform::CreateTempFileBeside(path, &temp)) return ErrOpenFile;
    const ErrorCode code = image.Save(temp, format);
    if (code != ErrNone) {
        platform::RemoveFile(temp);
        return code;
    }
    if (!platform::ReplaceFile(temp, path)) {
        platform::RemoveFile(temp);
        return ErrWriteFile;
    }
    return ErrNone;
}

std::string SingleFileOutputPath(const BatchOptions& options, const std::string& singleFilePath) {
    const std::string name = paths::FileName(singleFilePath);
    const std::string cut = name.size() > 4 ? name.substr(0, name.size() - 4) : std::string();
    return BuildOutputName(
        paths::Join(options.MainDestPath, cut),
        OutputExtension(paths::Extension(singleFilePath), options.MainOutputFormat),
        options.OutputRenameStyle, options.OutputExtraText);
}

bool BatchEngine::Report(const std::string& file, ErrorCode code, const std::string& context,
                         bool offerCancel, std::FILE* log) {
    return ReportError(host_, On(options_.OpsSilentOperation), file, code, context, offerCancel,
                       log);
}

ErrorCode BatchEngine::LoadOverlay(CPxImage& image) {
    if (!On(options_.OverlayOverlay)) return ErrNone;
    ShowStepText(host_, texts::kLoadingOverlay);
    ErrorCode code = image.Load(options_.OverlayPath);
    if (code != ErrNone) return code;
    code = image.Rotate(options_.OverlayRotation);
    if (code != ErrNone) return code;
    if (options_.OverlayQuantize != 1) return ErrNone;
    return PosterizeOverlay(image, options_.OverlayQuantizeColors, options_.OverlayTransColor);
}

ErrorCode PosterizeOverlay(CPxImage& image, int colours, Colour keep) {
    // The entry nearest to the transparent colour becomes exactly that
    // colour, so that it can still be keyed out.
    const int n = colours < 1 ? 1 : (colours > 256 ? 256 : colours);
    std::array<uint8_t, 256 * 4> palette{};
    const ErrorCode code = image.BuildPalette(n, palette.data());
    if (code != ErrNone) return code;
    uint8_t* e = palette.data() + 4 * NearestEntry(palette.data(), n, keep);
    e[0] = static_cast<uint8_t>((keep >> 16) & 0xFF);
    e[1] = static_cast<uint8_t>((keep >> 8) & 0xFF);
    e[2] = static_cast<uint8_t>(keep & 0xFF);
    e[3] = 0;
    return image.MapToPalette(n, palette.data());
}

ErrorCode BatchEngine::ProcessFile(const std::string& sourcePath, const std::string& outputPath,
                                   const CPxImage* overlay, const std::string& displayPath,
                                   std::FILE* log, std::FILE* page, const std::string& pagePath,
                                   CPxCompositeImg* composite) {
    BatchOptions& o = options_;
    CPxImage image;
    image.SetPngOptions(o.PNGFileGamma, o.PNGScreenGamma, o.PNGKey, o.PNGText, On(o.PNGCopyPNGText),
                        On(o.PNGCompressPNGText), o.PNGBkColor);
    image.SetJpegQuality(o.JPGQuality);

    ShowStepText(host_, texts::kReading);
    ShowDetailText(host_, displayPath);
    ErrorCode code = image.Load(sourcePath);
    const int loadedWidth = image.width();
    const int loadedHeight = image.height();
    if (log != nullptr)
        WriteLogInputLines(log, o, displayPath, loadedWidth, loadedHeight, image.textList());
    if (code != ErrNone) return code;
    if (host_.StopRequested()) return ErrNone;

    ShowStepText(host_, texts::kResizing);
    unsigned w = 0, h = 0;
    int kind = 0;
    o.ComputeOutputSize(static_cast<unsigned>(loadedWidth), static_cast<unsigned>(loadedHeight), &w,
                        &h, &kind);
    code = image.Resize(static_cast<int>(w), static_cast<int>(h), kind);
    if (code != ErrNone) return code;
    if (host_.StopRequested()) return ErrNone;

    if (On(o.OverlayOverlay) && overlay != nullptr) {
        ShowStepText(host_, texts::kApplyingOverlay);
        code = image.Overlay(*overlay, o.OverlayPos, On(o.OverlayResize),
                             On(o.OverlayNoTransparency), o.OverlayOpacity, o.OverlayTransColor);
        if (code != ErrNone) return code;
    }
    if (On(o.ImageSharpen)) {
        ShowStepText(host_, texts::kSharpen);
        code = image.Sharpen(o.ImageSharpenLevel);
        if (code != ErrNone) return code;
    }
    if (host_.StopRequested()) return ErrNone;

    if (o.ImageEnhanceType != EnhanceNone) {
        bool userCurveMissing = false;
        const uint8_t* lut = o.GetToneLut(&userCurveMissing);
        if (userCurveMissing)
            Report(o.ImageUserLUTPath, ErrOpenFile, texts::kContextUserLut, false, nullptr);
        if (lut != nullptr) {
            code = image.ApplyLut(lut);
            if (code != ErrNone) return code;
        }
    }
    if (host_.StopRequested()) return ErrNone;

    if (MatteApplies(o)) {
        ShowStepText(host_, texts::kMatting);
        code = image.Matte(o.MainWidth, o.MainHeight, o.ImageMatteColor);
        if (code != ErrNone) return code;
    }

    if (log != nullptr) WriteLogOutputLine(log, o, outputPath, image.width(), image.height());
    if (On(o.HTMLLog) && page != nullptr) {
        if (On(o.HTMLTable)) std::fputs(texts::kCellStart, page);
        WriteThumbnailEntry(page, outputPath, displayPath, image.width(), image.height(), pagePath,
                            o);
        if (On(o.HTMLTable)) std::fputs(texts::kCellEnd, page);
    }
    if (host_.StopRequested()) return ErrNone;

    ShowStepText(host_, texts::kSaving);
    ShowDetailText(host_, outputPath);
    const ErrorCode result = SaveImageFile(
        image, outputPath, ResolveOutputFormat(o.MainOutputFormat, image.inputFormat()));

    if (On(o.CompositeMakeComposite) && composite != nullptr && !composite->empty() &&
        !composite->IsFull()) {
        const std::string label =
            On(o.CompositeWriteFileName) ? paths::FileName(outputPath) : std::string();
        code = composite->AddImage(image, label);
        if (code != ErrNone) Report("", code, texts::kContextAddComposite, false, nullptr);
    }
    return result;
}

ErrorCode BatchEngine::SingleFileOperation(const std::string& input, const std::string& output,
                                           const std::string& displayPath) {
    RunScope scope(*this);
    CPxImage overlay;
    ErrorCode code = LoadOverlay(overlay);
    if (code != ErrNone) {
        if (Report(options_.OverlayPath, code, texts::kContextSingleOverlay, true, nullptr))
            return code;
        options_.OverlayOverlay = 0;
    }
    code = ProcessFile(input, output, &overlay, displayPath, nullptr, nullptr, "", nullptr);
    if (code != ErrNone) Report(displayPath, code, texts::kContextSingleFile, true, nullptr);
    return code;
}

BatchSummary BatchEngine::BatchRun() {
    RunScope scope(*this);
    BatchOptions& o = options_;
    BatchSummary summary;
    const std::string& source = o.MainSrcPath;
    const std::string& output = o.MainDestPath;

    std::FILE* log = OpenBatchLog(o, std::time(nullptr));
    struct LogCloser {
        std::FILE*& file;
        ~LogCloser() {
            if (file != nullptr) std::fclose(file);
        }
    } logCloser{log};

    // Only the window asks; a headless run has nobody to ask.
    const bool overwriteStyle = o.OutputRenameStyle != TextPrefix &&
                                o.OutputRenameStyle != TextSuffix &&
                                o.OutputRenameStyle != AutoNumericSuffix;
    if (host_.HasWindow() && paths::EqualsIgnoringCase(source, output) && overwriteStyle &&
        !On(o.OpsSilentOperation)) {
        if (!host_.AskYesNo(texts::kOverwriteQuestion)) return summary;
    }

    if (On(o.OutputCreateFolder) && !CreateFolderPath(output)) {
        Report(output, ErrCreateOutputDir, texts::kContextStoppingOutputFolder, false, log);
        return summary;
    }

    if (On(o.OutputDuplicateSrcTree) && On(o.OutputRecurseSrc)) {
        const bool ok = CreateOutputTree(host_, o, source, output);
        ShowStepText(host_, "");
        if (!ok) {
            Report(output, ErrCreateOutputTree, texts::kContextStopping, false, log);
            return summary;
        }
    }

    if (host_.HasWindow()) host_.SetProgressText(texts::kScanningForFiles);
    FileList files;
    ScanSourceFolder(host_, o, source, &files, On(o.OutputRecurseSrc), o.OutputFilterString,
                     On(o.OutputFilterBMP), On(o.OutputFilterGIF), On(o.OutputFilterPNG),
                     On(o.OutputFilterTIF), On(o.OutputFilterJPG), On(o.OutputFilterPCX));
    files.shrink_to_fit();
    const int total = static_cast<int>(files.size());
    summary.total = total;

    // Source files are opened by their full paths from here on; the folder
    // must be one that could be made current.
    if (!platform::CanEnterFolder(source)) {
        Report(source, ErrChangeFolder, texts::kContextStopping, false, log);
        return summary;
    }

    CPxImage overlay;
    if (const ErrorCode code = LoadOverlay(overlay); code != ErrNone) {
        if (Report(o.OverlayPath, code, texts::kContextOverlayRun, true, log)) return summary;
        o.OverlayOverlay = 0;
    }

    if (On(o.HTMLLog) && On(o.HTMLMakeSrcLink) && !On(o.OutputBranchFromSrc) &&
        !SharesCommonRoot(source, output)) {
        if (Report("", ErrNoCommonRoot, texts::kContextHtmlLinksOff, true, log)) return summary;
        o.HTMLMakeSrcLink = 0;
    }

    CPxCompositeImg composite;
    if (On(o.CompositeMakeComposite)) {
        if (o.MainResizeMethod == BestFit || o.MainResizeMethod == ExactSize || MatteApplies(o)) {
            const ErrorCode code = composite.Setup(
                o.MainWidth, o.MainHeight, o.CompositeCols, o.CompositeRows, o.CompositeBackColor,
                o.CompositeFontName, o.CompositeFontSize, o.CompositeTextColor);
            if (code != ErrNone && Report("", code, texts::kContextCompositeInit, true, log))
                return summary;
        } else {
            if (Report("", ErrCompositeMethod, texts::kContextCompositeOff, true, log))
                return summary;
            o.CompositeMakeComposite = 0;
        }
    }

    std::string compositeFolder;
    int compositeNumber = 0;
    // A sheet is written only when it holds a thumbnail; its number
    // advances with every sheet written.
    const auto flushComposite = [&](const std::string& nextFolder) {
        if (composite.count() > 0) {
            const std::string root = On(o.OutputBranchFromSrc) ? source : output;
            const std::string folder =
                On(o.CompositeWriteToRoot) ? paths::StripTrailingSeparator(root) : compositeFolder;
            const std::string name =
                paths::Join(folder, o.CompositeBaseName + std::to_string(compositeNumber) +
                                        FormatExtension(o.CompositeFormat));
            SaveImageFile(composite, name, o.CompositeFormat);
            composite.Reset();
            ++compositeNumber;
        }
        compositeFolder = nextFolder;
    };

    HtmlPageSeries pages(o);
    int processed = 0;
    for (int i = 0; i < total; ++i) {
        const std::string& entry = files[static_cast<size_t>(i)];
        const std::string inputFolder = paths::Directory(entry);
        const std::string inputFull = paths::Join(source, entry);
        if (host_.StopRequested()) break;

        std::string target = output;
        if (On(o.OutputBranchFromSrc)) {
            target = inputFolder.empty()
                         ? paths::Join(source, o.OutputBranchPath)
                         : paths::Join(paths::Join(source, inputFolder), o.OutputBranchPath);
            if (!CreateFolderPath(target)) {
                Report(target, ErrCreateOutputDir, texts::kContextStopping, false, log);
                break;
            }
        }
        const std::string base =
            paths::Join(target, On(o.OutputDuplicateSrcTree) ? paths::WithoutExtension(entry)
                                                             : paths::Title(entry));
        const std::string outputPath = ApplyOutputCase(
            BuildOutputName(base, OutputExtension(paths::Extension(entry), o.MainOutputFormat),
                            o.OutputRenameStyle, o.OutputExtraText, o.OutputCase),
            o.OutputCase);

        if (On(o.HTMLLog)) pages.BeginPageForFile(outputPath, i);

        if (On(o.CompositeMakeComposite) && !composite.empty()) {
            const std::string outputFolder = paths::Directory(outputPath);
            bool due = composite.IsFull();
            if (compositeFolder.empty()) compositeFolder = outputFolder;
            if (outputFolder != compositeFolder && !On(o.CompositeWriteToRoot)) due = true;
            if (due) flushComposite(outputFolder);
        }

        const ErrorCode code = ProcessFile(inputFull, outputPath, &overlay, inputFull, log,
                                           pages.page(), pages.pagePath(), &composite);
        if (code != ErrNone) {
            if (log != nullptr) WriteLogErrorLine(log, code);
            if (On(o.HTMLLog)) pages.WriteErrorEntry(paths::FileName(entry));
            if (Report(inputFull, code, texts::kContextFileProcess, true, log)) break;
        }
        ++processed;
        if (host_.HasWindow()) host_.SetProgressText(texts::FilesProcessed(processed, total));
    }

    if (On(o.CompositeMakeComposite) && !composite.empty()) flushComposite(compositeFolder);
    if (On(o.HTMLLog)) pages.EndPageSeries(On(o.OutputBranchFromSrc) ? source : output);
    if (log != nullptr) {
        std::fclose(log);
        log = nullptr;
    }
    ShowDetailText(host_, "");
    ShowStepText(host_, texts::ProcessedSummary(processed, total));
    summary.finished = true;
    summary.processed = processed;
    return summary;
}

}  // namespace vig
