#include "widgets/pictures.h"

#include <QDir>
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

QImage RenderSvg(const QString& file, QSize size, qreal ratio, bool keyBackground) {
    QSvgRenderer renderer(file);
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

}  // namespace

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
