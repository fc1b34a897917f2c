// A path edit that takes a file dropped on it: of the dropped items only the
// first counts, and only when it is a local file (not a folder).
#pragma once

#include <QLineEdit>

class QMimeData;

namespace vig::ui {

class CDropPathEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDropPathEdit(QWidget* parent = nullptr);

signals:
    // After a dropped file's path became the text.
    void fileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

// The local file a drop carries first, or "" when the first item is not one.
QString DroppedFile(const QMimeData* data);

}  // namespace vig::ui
