#include "widgets/path_label.h"

#include <QEvent>
#include <QPainter>

#include "widgets/pictures.h"

namespace vig::widgets {
namespace {

const QString& Dots() {
    static const QString dots = QString::fromLatin1(CPathStatic::kEllipsis);
    return dots;
}

// The longest start of `text` that fits with "..." after it.
QString EndShortened(const QString& text, const QFontMetrics& metrics, int width) {
    int low = 0, high = static_cast<int>(text.size());
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid) + Dots()) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low) + Dots();
}

}  // namespace

CPathStatic::CPathStatic(QWidget* parent, Ellipsis ellipsis) : QLabel(parent), ellipsis_(ellipsis) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    if (parent != nullptr) setFont(parent->font());
}

void CPathStatic::SetEllipsis(Ellipsis ellipsis) {
    ellipsis_ = ellipsis;
    update();
}

QString CPathStatic::Shorten(const QString& text, const QFontMetrics& metrics, int width,
                             Ellipsis ellipsis) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    if (metrics.horizontalAdvance(Dots()) > width) return {};
    if (ellipsis == Ellipsis::Path) {
        // Keep the last step whole and as much of the start as fits.
        const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
        if (slash > 0) {
            const QString tail = text.mid(slash);
            const int tailWidth = metrics.horizontalAdvance(Dots() + tail);
            if (tailWidth <= width) {
                const QString head = text.left(slash);
                int low = 0, high = static_cast<int>(head.size());
                while (low < high) {
                    const int mid = (low + high + 1) / 2;
                    if (metrics.horizontalAdvance(head.left(mid)) + tailWidth <= width)
                        low = mid;
                    else
                        high = mid - 1;
                }
                return head.left(low) + Dots() + tail;
            }
        }
    }
    return EndShortened(text, metrics, width);
}

QString CPathStatic::DisplayText(int width) const {
    return Shorten(text(), fontMetrics(), width, ellipsis_);
}

QSize CPathStatic::sizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().averageCharWidth() * 20 + m.left() + m.right(),
            fontMetrics().height() + m.top() + m.bottom() + 2 * margin()};
}

QSize CPathStatic::minimumSizeHint() const {
    const QSize hint = sizeHint();
    return {0, hint.height()};
}

void CPathStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    // A sunken frame of its own, whole at every scale factor.
    if (frameShape() != QFrame::NoFrame) {
        const QPalette& pal = palette();
        const bool sunken = frameShadow() == QFrame::Sunken;
        // The lit edges in a tone that still shows against a light window.
        const QColor dark = pal.color(QPalette::Dark);
        const QColor light = pal.color(IsDark(pal) ? QPalette::Light : QPalette::Mid);
        DrawFrame(painter, rect(), sunken ? dark : light, sunken ? light : dark);
    }
    const int m = margin();
    const QRect area = contentsRect().adjusted(m, m, -m, -m);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     DisplayText(area.width()));
}

void CPathStatic::changeEvent(QEvent* event) {
    // The text follows the parent's font, like the window around it.
    if (event->type() == QEvent::ParentChange && parentWidget() != nullptr)
        setFont(parentWidget()->font());
    QLabel::changeEvent(event);
}

}  // namespace vig::widgets
