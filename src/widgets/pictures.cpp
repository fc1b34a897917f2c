#include "widgets/pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

// The resource of a static library is registered by name, at global scope.
static void RegisterPictureResource() {
    Q_INIT_RESOURCE(resources);
}

namespace vig::widgets {
namespace {

void EnsureSearchPath() {
    static const bool done = [] {
        RegisterPictureResource();
        QDir::addSearchPath(QStringLiteral("pictures"), QStringLiteral(":/pictures"));
        return true;
    }();
    (void)done;
}

// The first folder of the search path that holds NAME.SUFFIX.
QString FindPicture(const QString& name, const QString& suffix) {
    const QString file = name + QLatin1Char('.') + suffix;
    for (const QString& folder : QDir::searchPaths(QStringLiteral("pictures"))) {
        const QString path = QDir(folder).filePath(file);
        if (QFileInfo(path).isFile()) return path;
    }
    return {};
}

QImage RenderSvgData(const QByteArray& data, QSize size, qreal ratio, bool keyBackground) {
    QSvgRenderer renderer(data);
    if (!renderer.isValid()) return {};
    if (size.isEmpty()) size = renderer.defaultSize();
    if (size.isEmpty()) return {};
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (keyBackground) {
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(row[x]) == 0) row[x] = kPictureKeyColour;
        }
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

QByteArray ReadWhole(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QImage RenderSvg(const QString& file, QSize size, qreal ratio, bool keyBackground) {
    return RenderSvgData(ReadWhole(file), size, ratio, keyBackground);
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Replaces the value of attribute `name` in `element` when it is one of
// `neutral`.
void Recolour(QByteArray* element, const char* name,
              const std::initializer_list<const char*>& neutral, const QColor& colour) {
    for (const char* value : neutral) {
        const QByteArray from = QByteArray(name) + "=\"" + value + "\"";
        if (element->contains(from)) {
            element->replace(from, QByteArray(name) + "=\"" + colour.name().toLatin1() + "\"");
            return;
        }
    }
}

}  // namespace

bool IsDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

void DrawFrame(QPainter& painter, const QRect& r, const QColor& topLeft,
               const QColor& bottomRight) {
    if (r.width() < 2 || r.height() < 2) return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left() + 1, r.bottom(), r.width() - 1, 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 1), bottomRight);
}

QImage LoadPicture(const QString& name, qreal devicePixelRatio, const QPalette& palette) {
    EnsureSearchPath();
    if (name.isEmpty()) return {};
    const QString svg = FindPicture(name, QStringLiteral("svg"));
    if (svg.isEmpty()) return LoadPicture(name, devicePixelRatio);
    QByteArray data = ReadWhole(svg);
    // The tile is the drawing's first rectangle.
    const qsizetype start = data.indexOf("<rect");
    const qsizetype end = start < 0 ? -1 : data.indexOf('>', start);
    if (end > start) {
        const bool dark = IsDark(palette);
        const QColor face = palette.color(QPalette::Active, QPalette::Button);
        const QColor pressed = dark ? face.lighter(125) : face.darker(115);
        const QColor border = Mix(face, palette.color(QPalette::Active, QPalette::ButtonText), 0.4);
        QByteArray tile = data.mid(start, end - start);
        Recolour(&tile, "fill", {"#f6f5f4"}, face);
        Recolour(&tile, "fill", {"#deddda"}, pressed);
        Recolour(&tile, "stroke", {"#9a9996", "#77767b", "#c0bfbc"}, border);
        data.replace(start, end - start, tile);
    }
    return RenderSvgData(data, QSize(), devicePixelRatio, true);
}

QImage LoadPicture(const QString& name, qreal devicePixelRatio) {
    EnsureSearchPath();
    if (name.isEmpty()) return {};
    if (const QString svg = FindPicture(name, QStringLiteral("svg")); !svg.isEmpty())
        return RenderSvg(svg, QSize(), devicePixelRatio, true);
    if (const QString png = FindPicture(name, QStringLiteral("png")); !png.isEmpty()) {
        QImage image(png);
        if (!image.isNull()) image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        return image;
    }
    return {};
}

QImage KeyOut(const QImage& image, QRgb key) {
    if (image.isNull()) return {};
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb opaqueKey = key | 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (row[x] == opaqueKey) row[x] = 0;
    }
    return out;
}

QIcon ApplicationIcon() {
    EnsureSearchPath();
    static const QIcon icon(QStringLiteral(":/pictures/vignettor.svg"));
    return icon;
}

QImage BusyFrame(int index, int size, qreal devicePixelRatio) {
    EnsureSearchPath();
    if (index < 0 || index >= kBusyFrameCount) return {};
    const QString file =
        FindPicture(QStringLiteral("busy-%1").arg(index + 1), QStringLiteral("svg"));
    return file.isEmpty() ? QImage() : RenderSvg(file, QSize(size, size), devicePixelRatio, false);
}

}  // namespace vig::widgets
