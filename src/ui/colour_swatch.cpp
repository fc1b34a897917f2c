#include "ui/colour_swatch.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "widgets/pictures.h"

namespace vig::ui {
namespace {

ColourChooser& InstalledChooser() {
    static ColourChooser chooser;
    return chooser;
}

}  // namespace

QColor ToQColor(options::Colour colour) {
    return QColor(options::ColourRed(colour), options::ColourGreen(colour),
                  options::ColourBlue(colour));
}

options::Colour FromQColor(const QColor& colour) {
    return options::MakeColour(colour.red(), colour.green(), colour.blue());
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
    // A click inside the painted interior, Space and the accessible
    // press action open the chooser.
    connect(this, &QAbstractButton::clicked, this, &CColourSwatch::choose);
}

void CColourSwatch::setColour(options::Colour colour) {
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
    const QColor frame =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    widgets::DrawFrame(p, rect(), frame, frame);
    p.fillRect(swatchRect(), ToQColor(colour_));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

// Only the painted interior is the button: a click there opens the chooser.
bool CColourSwatch::hitButton(const QPoint& pos) const {
    return swatchRect().contains(pos);
}

}  // namespace vig::ui
