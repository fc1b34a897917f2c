#include "ui/overlay_preview.h"

#include <QFutureWatcher>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPromise>
#include <QSvgRenderer>
#include <QThreadPool>
#include <algorithm>
#include <mutex>
#include <new>

#include "image/image_library.h"
#include "image/memory_budget.h"
#include "processing/resample.h"
#include "ui/accessible_controls.h"

// Resources of a static library are registered by name, outside any
// namespace.
static void InitSheetResources() {
    Q_INIT_RESOURCE(sheet_resources);
}

namespace vig::ui {
namespace {

constexpr int kCursorSize = 32;
constexpr QPoint kCursorTip(3, 29);

// How long resizing must pause before the new size is read for.
constexpr int kBoxSettleMilliseconds = 150;

// Fitting resamples bilinear when the image is smaller than the box both
// ways, else by the box average.
bool Enlarged(int width, int height, QSize box) {
    return width < box.width() && height < box.height();
}

// The size a width x height picture is shown at in the box, its aspect kept.
QSize FitSize(int width, int height, QSize box) {
    const double scale = std::min(static_cast<double>(box.width()) / width,
                                  static_cast<double>(box.height()) / height);
    return {std::max(1, static_cast<int>(width * scale)),
            std::max(1, static_cast<int>(height * scale))};
}

// The box average a width x height picture gets for the box, or an empty
// size when it is shown as it is or enlarged.
QSize ReductionFor(int width, int height, QSize box) {
    if (box.isEmpty() || width <= 0 || height <= 0 || Enlarged(width, height, box)) return {};
    const QSize fit = FitSize(width, height, box);
    return fit == QSize(width, height) ? QSize() : fit;
}

// The reading thread (one: a read that is superseded ends before the next
// one starts, so no two hold memory at once), the budget its reads reserve
// from and the tests' hook. The pool is destroyed first and waits for its
// reads.
struct PreviewReader {
    image::MemoryBudget budget{image::MemoryBudget::DefaultBytes()};
    std::mutex hookMutex;
    std::function<void(const std::string&)> hook;
    QThreadPool pool;
    PreviewReader() {
        pool.setMaxThreadCount(1);
        pool.setObjectName(QStringLiteral("Overlay preview"));
    }
};

PreviewReader& Reader() {
    static PreviewReader reader;
    return reader;
}

bool StopFlagSet(void* context) {
    return static_cast<const std::atomic<bool>*>(context)->load();
}

// Reads the picture on the reading thread, reduced to fit the box.
OverlayDecode Decode(const std::string& path, QSize box,
                     const std::shared_ptr<std::atomic<bool>>& stop) {
    OverlayDecode out;
    if (stop->load()) {
        out.code = image::ErrCancelled;
        return out;
    }
    PreviewReader& reader = Reader();
    image::SetStopCheck(StopFlagSet, stop.get());
    image::SetThreadMemoryBudget(&reader.budget);
    struct Restore {
        ~Restore() {
            image::SetThreadMemoryBudget(nullptr);
            image::SetStopCheck(nullptr, nullptr);
        }
    } restore;
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(reader.hookMutex);
        hook = reader.hook;
    }
    if (hook) hook(path);
    try {
        auto image = std::make_shared<image::CPxImage>();
        image::DecodeHints hints;
        hints.convertProfiles = image::ProfileConversion::None;  // as the run loads the overlay
        hints.plan = [box](int fullWidth, int fullHeight) {
            image::DecodePlan plan;
            const QSize reduced = ReductionFor(fullWidth, fullHeight, box);
            plan.reduceWidth = reduced.width() > 0 ? reduced.width() : 0;
            plan.reduceHeight = reduced.height() > 0 ? reduced.height() : 0;
            return plan;
        };
        image::DecodeInfo info;
        image::FileMemoryScope scope;
        image::ErrorCode code = image->Load(path, hints, &info);
        if (code == image::ErrNone && image->empty()) code = image::ErrUnknownFormat;
        if (code == image::ErrNone && !info.reduced) {
            // A reader that cannot reduce while reading gave the whole picture.
            const QSize reduced = ReductionFor(image->width(), image->height(), box);
            if (!reduced.isEmpty())
                code =
                    image->Resize(reduced.width(), reduced.height(), processing::ResampleBoxKind);
        }
        if (stop->load()) code = image::ErrCancelled;
        out.code = code;
        if (code == image::ErrNone) {
            out.fullSize = QSize(info.fullWidth, info.fullHeight);
            out.image = std::move(image);
        }
    } catch (const std::bad_alloc&) {
        out.code = image::ErrOutOfMemory;
    } catch (...) {
        out.code = image::ErrInternal;
    }
    return out;
}

}  // namespace

void COverlayPreview::SetDecodeHook(std::function<void(const std::string& path)> hook) {
    PreviewReader& reader = Reader();
    std::lock_guard lock(reader.hookMutex);
    reader.hook = std::move(hook);
}

bool COverlayPreview::WaitForDecodes(int milliseconds) {
    return Reader().pool.waitForDone(milliseconds);
}

QCursor EyedropperCursor() {
    static const QCursor cursor = [] {
        InitSheetResources();
        QPixmap pixmap(kCursorSize, kCursorSize);
        pixmap.fill(Qt::transparent);
        QSvgRenderer renderer(QStringLiteral(":/sheet/eyedropper.svg"));
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        return QCursor(pixmap, kCursorTip.x(), kCursorTip.y());
    }();
    return cursor;
}

COverlayPreview::COverlayPreview(QWidget* parent)
    : QFrame(parent), watcher_(new QFutureWatcher<OverlayDecode>(this)) {
    InstallAccessibleControls();
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(watcher_, &QFutureWatcher<OverlayDecode>::finished, this, &COverlayPreview::OnDecoded);
    boxSettled_.setSingleShot(true);
    boxSettled_.setInterval(kBoxSettleMilliseconds);
    connect(&boxSettled_, &QTimer::timeout, this, &COverlayPreview::RequestDecode);
}

// A read in progress is told to stop and left to end on its own.
COverlayPreview::~COverlayPreview() {
    StopDecode();
}

QSize COverlayPreview::sizeHint() const {
    return {160, 120};
}

bool COverlayPreview::hasImage() const {
    return loaded_ != nullptr;
}

void COverlayPreview::setImagePath(const QString& path) {
    // The same file read again keeps showing what it showed meanwhile.
    if (path != path_ || !hasImage()) {
        loaded_.reset();
        fullSize_ = QSize();
    }
    path_ = path;
    StopDecode();
    if (path.isEmpty()) {
        loading_ = false;
        error_ = image::ErrOpenFile;
    } else {
        loading_ = !hasImage();
        error_ = image::ErrNone;
    }
    Posterize();
    if (path.isEmpty()) {
        emit imageChanged(false);
        return;
    }
    // Read at once when shown, else when shown.
    if (isVisible()) StartDecode(contentsRect().size());
}

void COverlayPreview::StopDecode() {
    if (stop_) stop_->store(true);
    stop_.reset();
    inFlight_ = false;
    ++generation_;
}

// Reads what is still missing for the box the preview has now: the picture
// of a new path, or the picture again when it was reduced for another box.
void COverlayPreview::RequestDecode() {
    if (path_.isEmpty() || !isVisible()) return;
    const QSize box = contentsRect().size();
    if (box.isEmpty()) return;
    if (inFlight_) {
        if (box == flightBox_) return;
    } else if (!loading_) {
        if (loaded_ == nullptr || fullSize_ == QSize(loaded_->width(), loaded_->height())) return;
        const QSize wanted = ReductionFor(fullSize_.width(), fullSize_.height(), box);
        if (wanted == QSize(loaded_->width(), loaded_->height())) return;
    }
    StartDecode(box);
}

void COverlayPreview::StartDecode(QSize box) {
    if (box.isEmpty()) return;
    StopDecode();
    inFlight_ = true;
    flightBox_ = box;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    const quint64 generation = generation_;
    auto promise = std::make_shared<QPromise<OverlayDecode>>();
    watcher_->setFuture(promise->future());
    Reader().pool.start([promise, path = path_.toStdString(), box, stop = stop_, generation] {
        promise->start();
        OverlayDecode result = Decode(path, box, stop);
        result.generation = generation;
        promise->addResult(std::move(result));
        promise->finish();
    });
}

void COverlayPreview::OnDecoded() {
    if (watcher_->future().resultCount() == 0) return;
    OverlayDecode result = watcher_->result();
    if (!inFlight_ || result.generation != generation_) return;
    inFlight_ = false;
    stop_.reset();
    const bool wasLoading = loading_;
    loading_ = false;
    if (result.image != nullptr) {
        loaded_ = std::move(result.image);
        fullSize_ = result.fullSize;
        error_ = image::ErrNone;
    } else {
        loaded_.reset();
        fullSize_ = QSize();
        error_ = result.code != image::ErrNone ? result.code : image::ErrUnknownFormat;
    }
    Posterize();
    if (wasLoading || !hasImage()) emit imageChanged(hasImage());
    // The box may have changed while reading.
    RequestDecode();
}

void COverlayPreview::setPosterize(bool on, int colours, options::Colour keep) {
    if (on == posterize_ && colours == colours_ && keep == keep_) return;
    posterize_ = on;
    colours_ = colours;
    keep_ = keep;
    Posterize();
}

// The posterized picture is made from the one read, which is reduced to the
// shown size when it is larger: its palette comes from the reduced pixels.
void COverlayPreview::Posterize() {
    posterized_.reset();
    if (posterize_ && loaded_ != nullptr) {
        auto copy = std::make_unique<image::CPxImage>();
        if (copy->CopyFrom(*loaded_) == image::ErrNone &&
            copy->Posterize(colours_, keep_) == image::ErrNone)
            posterized_ = std::move(copy);
    }
    Rebuild();
}

void COverlayPreview::setPickingEnabled(bool on) {
    picking_ = on;
    if (!on) dragging_ = false;
    UpdateCursor();
}

void COverlayPreview::Rebuild() {
    shown_ = QImage();
    const image::CPxImage* source = posterized_ != nullptr ? posterized_.get() : loaded_.get();
    const QSize box = contentsRect().size();
    if (source != nullptr && !box.isEmpty()) {
        const int w = source->width(), h = source->height();
        const QSize fit = FitSize(w, h, box);
        image::CPxImage fitted;
        image::ErrorCode code = fitted.CopyFrom(*source);
        if (code == image::ErrNone && fit != QSize(w, h))
            code = fitted.Resize(fit.width(), fit.height(),
                                 Enlarged(w, h, box) ? processing::ResampleBilinearKind
                                                     : processing::ResampleBoxKind);
        if (code == image::ErrNone && !fitted.empty())
            shown_ = QImage(fitted.data(), fitted.width(), fitted.height(), fitted.width() * 3,
                            QImage::Format_RGB888)
                         .copy();
    }
    UpdateCursor();
    update();
}

QRect COverlayPreview::shownRect() const {
    if (shown_.isNull()) return {};
    QRect r(QPoint(0, 0), shown_.size());
    r.moveCenter(contentsRect().center());
    return r;
}

bool COverlayPreview::ColourAt(QPoint point, options::Colour* colour) const {
    const image::CPxImage* source = posterized_ != nullptr ? posterized_.get() : loaded_.get();
    const QRect r = shownRect();
    if (source == nullptr || !r.contains(point)) return false;
    const int x = static_cast<int>(static_cast<long long>(point.x() - r.left()) * source->width() /
                                   r.width());
    const int y = static_cast<int>(static_cast<long long>(point.y() - r.top()) * source->height() /
                                   r.height());
    *colour = source->GetPixel(x, y);
    return true;
}

void COverlayPreview::UpdateCursor() {
    if (picking_ && !shown_.isNull())
        setCursor(EyedropperCursor());
    else
        unsetCursor();
}

void COverlayPreview::Pick(QPoint point) {
    options::Colour colour = 0;
    if (ColourAt(point, &colour)) emit colourPicked(colour);
}

void COverlayPreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (shown_.isNull()) return;
    QPainter p(this);
    p.drawImage(shownRect().topLeft(), shown_);
}

void COverlayPreview::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    Rebuild();
    if (isVisible()) boxSettled_.start();
}

void COverlayPreview::showEvent(QShowEvent* event) {
    QFrame::showEvent(event);
    RequestDecode();
}

void COverlayPreview::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !picking_ || shown_.isNull()) return;
    dragging_ = true;
    Pick(event->position().toPoint());
}

void COverlayPreview::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) Pick(event->position().toPoint());
}

void COverlayPreview::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

}  // namespace vig::ui
