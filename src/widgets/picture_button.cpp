#include "widgets/picture_button.h"

#include <QPainter>
#include <QTimerEvent>

namespace vig::widgets {
namespace {

int Slot(CTransButton::Picture p) {
    return static_cast<int>(p);
}

}  // namespace

CTransButton::CTransButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CTransButton::Attach(QRgb transparent) {
    transparent_ = transparent;
    const QString caption = text();
    LoadBitmaps(caption + QLatin1Char('U'), caption + QLatin1Char('B'), caption + QLatin1Char('D'),
                caption + QLatin1Char('F'), caption + QLatin1Char('X'));
    if (pictures_[Slot(Picture::Up)].isNull()) return false;
    setFixedSize(pictures_[Slot(Picture::Up)].deviceIndependentSize().toSize());
    return true;
}

bool CTransButton::LoadBitmaps(const QString& up, const QString& blink, const QString& down,
                               const QString& focus, const QString& disabled) {
    const QString names[5] = {up, blink, down, focus, disabled};
    const qreal ratio = devicePixelRatioF();
    bool complete = true;
    for (int i = 0; i < 5; ++i) {
        names_[i] = names[i];
        pictures_[i] = QPixmap();
        if (names[i].isEmpty()) continue;
        const QImage image = LoadPicture(names[i], ratio, palette());
        if (image.isNull()) {
            complete = false;
            continue;
        }
        pictures_[i] = QPixmap::fromImage(KeyOut(image, transparent_));
        pictures_[i].setDevicePixelRatio(image.devicePixelRatio());
    }
    updateGeometry();
    update();
    return complete && !pictures_[Slot(Picture::Up)].isNull();
}

void CTransButton::SetBlinking(bool on) {
    blinking_ = on;
    phase_ = on;
    if (on)
        timer_.start(kBlinkMilliseconds, this);
    else
        timer_.stop();
    update();
}

bool CTransButton::HasPicture(Picture which) const {
    return !pictures_[Slot(which)].isNull();
}

CTransButton::Picture CTransButton::ChoosePicture(bool pressed, bool focused, bool enabled) const {
    Picture choice = Picture::Up;
    if (pressed && HasPicture(Picture::Down))
        choice = Picture::Down;
    else if (focused && HasPicture(Picture::Focus))
        choice = Picture::Focus;
    else if (!enabled && HasPicture(Picture::Disabled))
        choice = Picture::Disabled;
    if (enabled && blinking_ && phase_ && HasPicture(Picture::Blink)) choice = Picture::Blink;
    return choice;
}

CTransButton::Picture CTransButton::CurrentPicture() const {
    return ChoosePicture(isDown(), hasFocus(), isEnabled());
}

QSize CTransButton::sizeHint() const {
    const QPixmap& up = pictures_[Slot(Picture::Up)];
    return up.isNull() ? QSize(24, 24) : up.deviceIndependentSize().toSize();
}

void CTransButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The window's own background fills the button, so keyed-out pixels
    // show it.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QPixmap& picture = pictures_[Slot(CurrentPicture())];
    if (!picture.isNull()) painter.drawPixmap(QPoint(0, 0), picture);
}

void CTransButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !names_[Slot(Picture::Up)].isEmpty())
        LoadBitmaps(names_[0], names_[1], names_[2], names_[3], names_[4]);
}

void CTransButton::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        QAbstractButton::timerEvent(event);
        return;
    }
    if (!blinking_) return;
    phase_ = !phase_;
    update();
}

}  // namespace vig::widgets
