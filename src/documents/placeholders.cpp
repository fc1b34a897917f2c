// Placeholders until the documents land: pages, log and sheets write
// nothing, and a sheet cannot be set up.
#include "documents/batch_log.h"
#include "documents/composite.h"
#include "documents/html_pages.h"

namespace vig {

HtmlPageSeries::HtmlPageSeries(const BatchOptions& options) : options_(options) {}
HtmlPageSeries::~HtmlPageSeries() = default;
void HtmlPageSeries::BeginPageForFile(const std::string&, int) {}
void HtmlPageSeries::WriteErrorEntry(const std::string&) {}
void HtmlPageSeries::EndPageSeries(const std::string&) {}
void WriteThumbnailEntry(std::FILE*, const std::string&, const std::string&, int, int,
                         const std::string&, const BatchOptions&) {}

void WriteLogHeader(std::FILE*, const BatchOptions&, std::time_t) {}
void WriteLogInputLines(std::FILE*, const BatchOptions&, const std::string&, int, int,
                        const std::vector<PngTextEntry>&) {}
void WriteLogOutputLine(std::FILE*, const BatchOptions&, const std::string&, int, int) {}
void WriteLogErrorLine(std::FILE*, ErrorCode) {}

ErrorCode CPxCompositeImg::Setup(int, int, int, int, PackedColour, const std::string&, int,
                                 PackedColour) {
    return ErrInternal;
}
ErrorCode CPxCompositeImg::Reset() { return ErrInternal; }
bool CPxCompositeImg::IsFull() const { return count_ >= rows_ * cols_; }
ErrorCode CPxCompositeImg::AddImage(const CPxImage&, const std::string&) { return ErrParameter; }
ErrorCode DrawLabel(uint8_t*, int, int, const std::string&, const std::string&, int, int, int,
                    PackedColour) {
    return ErrCreateFont;
}

}  // namespace vig
