// The colour swatch of the options pages and the HTML appearance dialog: a
// framed rectangle whose interior, inset by 3 pixels, shows the colour. A
// click (or a double-click) inside the inset rectangle, or Space
// when it has the focus, opens the colour chooser; a chosen colour becomes
// the value.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <functional>

#include "options/enums.h"

namespace vig::ui {

QColor ToQColor(options::Colour colour);
options::Colour FromQColor(const QColor& colour);

// Asks the user for a colour starting at `initial`; false when cancelled.
// The colour dialog unless a test installed its own.
using ColourChooser = std::function<bool(QWidget* parent, QColor* colour)>;
void SetColourChooser(ColourChooser chooser);  // empty restores the dialog
bool ChooseColour(QWidget* parent, QColor* colour);

class CColourSwatch : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kInset = 3;

    explicit CColourSwatch(QWidget* parent = nullptr);

    options::Colour colour() const { return colour_; }
    void setColour(options::Colour colour);
    // The painted interior: the frame inset by 3 pixels on each side.
    QRect swatchRect() const;
    // Opens the chooser; a confirmed colour becomes the value.
    void choose();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void colourChanged(vig::options::Colour colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    options::Colour colour_ = 0;
};

}  // namespace vig::ui
