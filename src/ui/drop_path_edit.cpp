#include "ui/drop_path_edit.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace vig::ui {

QString DroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
    const QUrl first = data->urls().constFirst();
    if (!first.isLocalFile()) return {};
    const QString path = first.toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

CDropPathEdit::CDropPathEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(true);
}

void CDropPathEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDropPathEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDropPathEdit::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setText(path);
    emit fileDropped(path);
}

}  // namespace vig::ui
