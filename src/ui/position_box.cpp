#include "ui/position_box.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "ui/accessible_controls.h"
#include "ui/window_texts.h"
#include "widgets/pictures.h"

namespace vig::ui {
namespace {

// Positions of the cells row by row in "3x3" mode.
constexpr int kGridPositions[9] = {5, 1, 6, 3, 9, 4, 7, 2, 8};
// Edge-middle cells and their positions in "Edges" mode.
struct EdgeCell {
    int cell;
    int position;
};
constexpr EdgeCell kEdgeCells[4] = {{1, 10}, {3, 12}, {5, 13}, {7, 11}};

// What the batch log calls the positions 1 to 13 (the box names them in
// the user's language).
constexpr const char* kPlaceNames[14] = {"",
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Top"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Bottom"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Left"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Right"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Top Left"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Top Right"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Bottom Left"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Bottom Right"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Center"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Top Edge"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Bottom Edge"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Left Edge"),
                                         QT_TRANSLATE_NOOP("vig::ui::texts", "Right Edge")};

const QColor kGridPen(80, 80, 100);

// The colours of the grid and the frame: the fixed ones on a light window;
// under a dark colour scheme, where black and dark grey vanish, the
// window's text colour and a mid-tone between it and the window.
QColor FrameColour(const QPalette& palette) {
    return widgets::IsDark(palette) ? palette.color(QPalette::WindowText) : QColor(Qt::black);
}

QColor GridColour(const QPalette& palette) {
    if (!widgets::IsDark(palette)) return kGridPen;
    const QColor a = palette.color(QPalette::Window), b = palette.color(QPalette::WindowText);
    return QColor((a.red() + 2 * b.red()) / 3, (a.green() + 2 * b.green()) / 3,
                  (a.blue() + 2 * b.blue()) / 3);
}
const QColor kSelectedFill(250, 250, 0);

}  // namespace

int PositionForCell(PositionMode mode, int cell) {
    if (mode == PositionMode::Grid) return cell >= 0 && cell < 9 ? kGridPositions[cell] : -1;
    if (cell < 0 || cell >= 9) return 0;
    for (const EdgeCell& e : kEdgeCells)
        if (e.cell == cell) return e.position;
    return -1;
}

int CellForPosition(PositionMode mode, int position) {
    if (mode == PositionMode::Grid) {
        const int* end = kGridPositions + 9;
        const int* at = std::find(kGridPositions, end, position);
        return at == end ? -1 : static_cast<int>(at - kGridPositions);
    }
    for (const EdgeCell& e : kEdgeCells)
        if (e.position == position) return e.cell;
    return -1;
}

int PositionForMode(PositionMode mode, int position) {
    if (mode == PositionMode::Grid) {
        switch (position) {
            case 0:
                return 9;
            case 12:
                return 3;
            case 13:
                return 4;
            case 10:
                return 1;
            case 11:
                return 2;
            default:
                return position;
        }
    }
    switch (position) {
        case 0:
        case 5:
        case 3:
        case 7:
            return 12;
        case 1:
        case 9:
            return 10;
        case 6:
        case 4:
        case 8:
            return 13;
        case 2:
            return 11;
        default:
            return position;
    }
}

PositionMode ModeForPosition(int position) {
    return position == 0 || (position >= 10 && position <= 13) ? PositionMode::Edges
                                                               : PositionMode::Grid;
}

CPositionBox::CPositionBox(QWidget* parent) : QWidget(parent) {
    InstallAccessibleControls();
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    UpdateAccessibleText();
}

void CPositionBox::setPosition(int position) {
    if (position == position_) return;
    position_ = position;
    UpdateAccessibleText();
    update();
    emit positionChanged(position_);
}

void CPositionBox::reset(PositionMode mode, int position) {
    mode_ = mode;
    position_ = position;
    UpdateAccessibleText();
    update();
}

void CPositionBox::setMode(PositionMode mode) {
    mode_ = mode;
    update();
    setPosition(PositionForMode(mode, position_));
}

void CPositionBox::setHighlighted(bool on) {
    highlighted_ = on;
    update();
}

QRect CPositionBox::GridRect() const {
    return rect().adjusted(1, 1, -1, -1);
}

QRect CPositionBox::CellRect(int cell) const {
    const QRect g = GridRect();
    const int col = cell % 3, row = cell / 3;
    const int x0 = g.left() + g.width() * col / 3, x1 = g.left() + g.width() * (col + 1) / 3;
    const int y0 = g.top() + g.height() * row / 3, y1 = g.top() + g.height() * (row + 1) / 3;
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

int CPositionBox::CellAt(QPoint point) const {
    for (int cell = 0; cell < 9; ++cell)
        if (CellRect(cell).contains(point)) return cell;
    return -1;
}

QSize CPositionBox::sizeHint() const {
    return {92, 92};
}

QSize CPositionBox::minimumSizeHint() const {
    return {62, 62};
}

void CPositionBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const int cell = CellForPosition(mode_, position_);
    if (cell >= 0) {
        const QColor fill =
            highlighted_ ? kSelectedFill : palette().color(QPalette::Button).darker(115);
        p.fillRect(CellRect(cell), fill);
    }
    // Lines as filled strips one logical pixel wide: whole at every scale.
    const QRect g = GridRect();
    const QColor grid = GridColour(palette());
    for (int i = 1; i < 3; ++i) {
        const int x = g.left() + g.width() * i / 3;
        const int y = g.top() + g.height() * i / 3;
        p.fillRect(QRect(x, g.top(), 1, g.height()), grid);
        p.fillRect(QRect(g.left(), y, g.width(), 1), grid);
    }
    const QColor frame = FrameColour(palette());
    widgets::DrawFrame(p, rect(), frame, frame);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void CPositionBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const int position = PositionForCell(mode_, CellAt(event->position().toPoint()));
    if (position >= 0) setPosition(position);
}

void CPositionBox::keyPressEvent(QKeyEvent* event) {
    int dx = 0, dy = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            dx = -1;
            break;
        case Qt::Key_Right:
            dx = 1;
            break;
        case Qt::Key_Up:
            dy = -1;
            break;
        case Qt::Key_Down:
            dy = 1;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    int target;
    if (mode_ == PositionMode::Edges) {
        // Each arrow goes to the edge it points at.
        target = dx < 0 ? 3 : dx > 0 ? 5 : dy < 0 ? 1 : 7;
    } else {
        int cell = CellForPosition(mode_, position_);
        if (cell < 0) cell = 4;
        const int col = std::clamp(cell % 3 + dx, 0, 2), row = std::clamp(cell / 3 + dy, 0, 2);
        target = row * 3 + col;
    }
    setPosition(PositionForCell(mode_, target));
}

void CPositionBox::UpdateAccessibleText() {
    const int p = position_ >= 1 && position_ <= 13 ? position_ : 0;
    setAccessibleDescription(texts::Tr(kPlaceNames[p]));
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, accessibleDescription());
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace vig::ui
