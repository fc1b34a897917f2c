#include "ui/drop_edit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>

namespace vig::ui {
namespace {

constexpr qint64 kLinkFileLimit = 64 * 1024;

// The escapes of desktop entry values: \s \n \t \r \\.
QString Unescape(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[++i];
        if (n == QLatin1Char('s'))
            out += QLatin1Char(' ');
        else if (n == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (n == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (n == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else
            out += n;
    }
    return out;
}

QString FirstLocalPath(const QList<QUrl>& urls) {
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) return url.toLocalFile();
    return {};
}

}  // namespace

DropEdit::DropEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
}

QString DropEdit::LinkTarget(const QString& path) {
    if (!path.endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive)) return {};
    const QFileInfo info(path);
    if (!info.isFile()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(file.read(kLinkFileLimit));

    bool inEntry = false;
    QString type, url;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = Unescape(line.mid(eq + 1).trimmed());
        if (key == QLatin1String("Type"))
            type = value;
        else if (key == QLatin1String("URL"))
            url = value;
    }
    if (type != QLatin1String("Link") || !url.startsWith(QLatin1String("file:"))) return {};
    return QUrl(url).toLocalFile();
}

QString DropEdit::DroppedPath(const QList<QUrl>& urls) const {
    QString path = FirstLocalPath(urls);
    if (path.isEmpty()) return {};
    if (const QString target = LinkTarget(path); !target.isEmpty()) path = target;
    const QFileInfo info(path);
    if (info.isDir()) return folders_ ? path : QString();
    if (info.isFile()) return files_ ? path : QString();
    return {};
}

void DropEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (isEnabled() && event->mimeData()->hasUrls() &&
        !DroppedPath(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void DropEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (isEnabled() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void DropEdit::dropEvent(QDropEvent* event) {
    // The drop is finished in every case; only an accepted path changes
    // the text.
    event->acceptProposedAction();
    if (event->mimeData()->hasUrls()) TakeDrop(event->mimeData()->urls());
}

bool DropEdit::TakeDrop(const QList<QUrl>& urls) {
    const QString path = DroppedPath(urls);
    if (path.isEmpty()) return false;
    setText(path);
    if (QFileInfo(path).isFile()) emit fileDropped(path);
    return true;
}

}  // namespace vig::ui
