// An edit that takes a folder or a file dropped on it from a file manager.
// Of the dropped items the first local path counts; a link file of the
// desktop (a *.desktop file of Type=Link with a file: URL) is replaced by
// its target, and a symbolic link is left for the file system to follow.
// A folder is taken by an edit that accepts folders, a file by one that
// accepts files (and announced with fileDropped); anything else is ignored.
#pragma once

#include <QLineEdit>
#include <QList>
#include <QUrl>

namespace vig::ui {

class DropEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool acceptsFolders READ acceptsFolders WRITE setAcceptsFolders)
    Q_PROPERTY(bool acceptsFiles READ acceptsFiles WRITE setAcceptsFiles)
public:
    explicit DropEdit(QWidget* parent = nullptr);

    bool acceptsFolders() const { return folders_; }
    bool acceptsFiles() const { return files_; }
    void setAcceptsFolders(bool on) { folders_ = on; }
    void setAcceptsFiles(bool on) { files_ = on; }

    // The text a drop of these items would give the edit; "" when the drop
    // is ignored.
    QString DroppedPath(const QList<QUrl>& urls) const;

    // The target of a desktop link file (Type=Link, URL=file:...); "" for
    // anything else. Reads at most the first 64 KiB.
    static QString LinkTarget(const QString& path);

    // Handles a drop of these items; true when the edit took a path.
    bool TakeDrop(const QList<QUrl>& urls);

signals:
    // A file was dropped and is now the edit's text.
    void fileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool folders_ = false;
    bool files_ = false;
};

}  // namespace vig::ui
