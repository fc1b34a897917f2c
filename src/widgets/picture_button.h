// CTransButton: a push button that draws one of five pictures by its state,
// with one colour of the pictures (pure yellow in the main window) keyed out
// so that the window background shows through. It takes the size of its up
// picture and can blink to draw attention.
//
// Pictures are named from the button's caption plus one letter: U up,
// B blink, D down (pressed), F focus, X disabled (see pictures.h for where
// they are looked up). The caption is only a picture name; give the button
// an accessible name and a tool tip for people.
#pragma once

#include <QAbstractButton>
#include <QBasicTimer>
#include <QPixmap>

#include "widgets/pictures.h"

namespace vig::widgets {

class CTransButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Picture { Up, Blink, Down, Focus, Disabled };
    static constexpr int kBlinkMilliseconds = 300;

    explicit CTransButton(QWidget* parent = nullptr);

    // Loads the pictures named from the caption (text()) and sizes the
    // button to its up picture. False when there is no up picture.
    bool Attach(QRgb transparent = kPictureKeyColour);
    // Loads the named pictures, replacing the earlier ones; an empty name
    // means no picture of that kind. False when the up picture cannot be
    // loaded or a named picture is missing (the others are kept).
    bool LoadBitmaps(const QString& up, const QString& blink, const QString& down,
                     const QString& focus, const QString& disabled);

    // On: a 300 ms timer alternates the blink phase; off: phase off. Both
    // repaint.
    void SetBlinking(bool on);
    bool blinking() const { return blinking_; }
    bool blinkPhase() const { return phase_; }

    // The picture drawn for a state, by these rules in order: pressed with a
    // down picture: down; else focused with a focus picture: focus; else up,
    // or disabled when disabled and there is a disabled picture; then, when
    // enabled and blinking in the on phase, blink (if there is one).
    Picture ChoosePicture(bool pressed, bool focused, bool enabled) const;
    // The picture the button shows now.
    Picture CurrentPicture() const;
    bool HasPicture(Picture which) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    // A new colour scheme draws the button face again in its colours.
    void changeEvent(QEvent* event) override;

private:
    QString names_[5];
    QPixmap pictures_[5];
    QRgb transparent_ = kPictureKeyColour;
    QBasicTimer timer_;
    bool blinking_ = false;
    bool phase_ = false;
};

}  // namespace vig::widgets
