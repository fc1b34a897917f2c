#include "ui/colour_swatch.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace vig::ui {
namespace {

ColourChooser& InstalledChooser() {
    static ColourChooser chooser;
    return chooser;
}

}  // namespace

QColor ToQColor(Colour colour) {
    return QColor(ColourRed(colour), ColourGreen(colour), ColourBlue(colour));
}

Colour FromQColor(const QColor& colour) {
    return MakeColour(colour.red(), colour.green(), colour.blue());
}

void SetColourChooser(ColourChooser chooser) {
    InstalledChooser() = std::move(chooser);
}

bool ChooseColour(QWidget* parent, QColor* colour) {
    if (InstalledChooser()) return InstalledChooser()(parent, colour);
    const QColor chosen = QColorDialog::getColor(*colour, parent);
    if (!chosen.isValid()) return false;
    *colour = chosen;
    return true;
}

CColourSwatch::CColourSwatch(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Space, Enter and the accessible press action; the mouse opens the
    // chooser with a double-click only.
    connect(this, &QAbstractButton::clicked, this, &CColourSwatch::choose);
}

void CColourSwatch::setColour(Colour colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
    emit colourChanged(colour_);
}

QRect CColourSwatch::swatchRect() const {
    return rect().adjusted(kInset, kInset, -kInset, -kInset);
}

void CColourSwatch::choose() {
    if (!isEnabled()) return;
    QColor c = ToQColor(colour_);
    if (ChooseColour(this, &c)) setColour(FromQColor(c));
}

QSize CColourSwatch::sizeHint() const {
    return {48, 24};
}

QSize CColourSwatch::minimumSizeHint() const {
    return {32, 20};
}

void CColourSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.fillRect(swatchRect(), ToQColor(colour_));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

void CColourSwatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
    event->accept();
}

void CColourSwatch::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CColourSwatch::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton && swatchRect().contains(event->position().toPoint()))
        choose();
}

}  // namespace vig::ui
