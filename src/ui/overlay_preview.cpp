#include "ui/overlay_preview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>

#include "engine/batch_engine.h"
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

// The kind of resampling for fitting: bilinear when the image is smaller
// than the box both ways, else the box average.
constexpr int kBilinear = 1;
constexpr int kBoxAverage = 2;

}  // namespace

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

COverlayPreview::COverlayPreview(QWidget* parent) : QFrame(parent) {
    InstallAccessibleControls();
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

COverlayPreview::~COverlayPreview() = default;

QSize COverlayPreview::sizeHint() const {
    return {160, 120};
}

bool COverlayPreview::hasImage() const {
    return loaded_ != nullptr;
}

void COverlayPreview::setImagePath(const QString& path) {
    loaded_.reset();
    if (!path.isEmpty()) {
        auto image = std::make_unique<CPxImage>();
        if (image->Load(path.toStdString()) == ErrNone && !image->empty())
            loaded_ = std::move(image);
    }
    Posterize();
    emit imageChanged(hasImage());
}

void COverlayPreview::setPosterize(bool on, int colours, Colour keep) {
    if (on == posterize_ && colours == colours_ && keep == keep_) return;
    posterize_ = on;
    colours_ = colours;
    keep_ = keep;
    Posterize();
}

void COverlayPreview::Posterize() {
    posterized_.reset();
    if (posterize_ && loaded_ != nullptr) {
        auto copy = std::make_unique<CPxImage>();
        if (copy->CopyFrom(*loaded_) == ErrNone &&
            PosterizeOverlay(*copy, colours_, keep_) == ErrNone)
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
    const CPxImage* source = posterized_ != nullptr ? posterized_.get() : loaded_.get();
    const QSize box = contentsRect().size();
    if (source != nullptr && !box.isEmpty()) {
        const int w = source->width(), h = source->height();
        const double scale =
            std::min(static_cast<double>(box.width()) / w, static_cast<double>(box.height()) / h);
        const int fitW = std::max(1, static_cast<int>(w * scale));
        const int fitH = std::max(1, static_cast<int>(h * scale));
        CPxImage fitted;
        ErrorCode code = fitted.CopyFrom(*source);
        if (code == ErrNone && (fitW != w || fitH != h))
            code = fitted.Resize(fitW, fitH,
                                 w < box.width() && h < box.height() ? kBilinear : kBoxAverage);
        if (code == ErrNone && !fitted.empty())
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

bool COverlayPreview::ColourAt(QPoint point, Colour* colour) const {
    const CPxImage* source = posterized_ != nullptr ? posterized_.get() : loaded_.get();
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
    Colour colour = 0;
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
