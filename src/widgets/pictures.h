// The program's pictures: the application icon, the frames of the busy
// animation and the picture buttons' pictures. They are drawn as SVG and
// compiled into the resource of this library; a picture is looked up by name
// in the search path "pictures:" (the resource folder first; tests may add
// folders of their own), as NAME.svg or NAME.png.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QRgb>
#include <QString>

class QPainter;

namespace vig::widgets {

// The colour the picture buttons show the window background through.
inline constexpr QRgb kPictureKeyColour = 0xFFFFFF00u;  // red 255, green 255, blue 0

// The picture NAME at its own size times devicePixelRatio (the image carries
// that ratio). An SVG drawing leaves its empty pixels in the key colour, as
// a keyed button picture has them; its edge pixels keep their coverage.
// A null image when there is no picture of that name.
QImage LoadPicture(const QString& name, qreal devicePixelRatio = 1.0);
// The same, with the button face of the picture (its first shape, a plain
// tile) and the tile's border in the colours of `palette`, so that the
// buttons look like the others under any colour scheme. The pictures on
// the tile keep their own colours.
QImage LoadPicture(const QString& name, qreal devicePixelRatio, const QPalette& palette);

// Draws a frame one logical pixel wide just inside `r`, the top and left
// edges in `topLeft` and the others in `bottomRight`, as filled strips: at
// every scale factor each edge covers whole device pixels inside the rect.
void DrawFrame(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight);
// Whether the colour scheme is a dark one (dark window, light text).
bool IsDark(const QPalette& palette);

// A copy in which every opaque pixel of exactly `key` is fully transparent;
// the image itself is left unchanged.
QImage KeyOut(const QImage& image, QRgb key);

// The application icon (every size drawn from its SVG).
QIcon ApplicationIcon();

// The seven frames of the busy animation.
inline constexpr int kBusyFrameCount = 7;
QImage BusyFrame(int index, int size, qreal devicePixelRatio);

}  // namespace vig::widgets
