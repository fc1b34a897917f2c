// The overlay page's preview: the overlay image loaded through the image
// object, posterized when asked, fitted into the box with its aspect kept.
// While picking is allowed and an image is shown, the cursor is an
// eyedropper and pressing the left button (and moving with it held) picks
// the colour of the overlay pixel under the cursor.
//
// The picture is read on a thread of its own, only once the preview is on
// screen, and reduced to the size it is shown at while it is read (by the
// readers that can; the others are reduced after reading), within a memory
// budget. A newer path or a new box size supersedes a read in progress,
// which then ends at its next stop check; the window never waits for it.
#pragma once

#include <QFrame>
#include <QImage>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "image/cpx_image.h"
#include "options/enums.h"

template <typename T>
class QFutureWatcher;

namespace vig::ui {

// The eyedropper cursor, hot spot at the tip.
QCursor EyedropperCursor();

// What one read of the overlay gives back to the window's thread.
struct OverlayDecode {
    quint64 generation = 0;
    std::shared_ptr<const image::CPxImage> image;  // as shown before fitting; null on failure
    image::ErrorCode code = image::ErrNone;
    QSize fullSize;  // the picture's own size
};

class COverlayPreview : public QFrame {
    Q_OBJECT
public:
    explicit COverlayPreview(QWidget* parent = nullptr);
    ~COverlayPreview() override;

    // Sets the file to show. An empty path leaves no image at once; another
    // path is read once the preview is shown (again when it is shown
    // already), and imageChanged tells the outcome. A failed read or a size
    // that is not positive leave no image.
    void setImagePath(const QString& path);
    // Posterizes the shown image to `colours` colours keeping `keep` exact
    // (as a run does), or shows it as loaded.
    void setPosterize(bool on, int colours, options::Colour keep);
    void setPickingEnabled(bool on);

    bool hasImage() const;
    // A read of the current path is awaited (no image yet).
    bool loading() const { return loading_; }
    // A read is under way, or starts once resizing pauses.
    bool reading() const { return inFlight_ || boxSettled_.isActive(); }
    // Why there is no image: the code of the failed read (ErrNone while
    // there is an image or one is awaited).
    image::ErrorCode loadError() const { return error_; }
    // What is drawn: the fitted image, and where inside the widget.
    const QImage& shownImage() const { return shown_; }
    QRect shownRect() const;
    // The overlay's colour under a point of the widget; false outside the
    // image.
    bool ColourAt(QPoint point, options::Colour* colour) const;

    QSize sizeHint() const override;

    // For tests: a function the reading thread calls with the path before
    // each read (it may wait, looking at StopRequestedNow()), and a wait of
    // at most `milliseconds` for the reads in progress or queued to end
    // (true when none is left).
    static void SetDecodeHook(std::function<void(const std::string& path)> hook);
    static bool WaitForDecodes(int milliseconds);

signals:
    void imageChanged(bool valid);
    void colourPicked(vig::options::Colour colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void RequestDecode();
    void StartDecode(QSize box);
    void StopDecode();
    void OnDecoded();
    void Posterize();
    void Rebuild();
    void UpdateCursor();
    void Pick(QPoint point);

    QString path_;
    bool loading_ = false;  // no image of path_ yet, a read awaited
    image::ErrorCode error_ = image::ErrNone;
    // The read in progress: its number, the box it fits, its stop flag.
    QFutureWatcher<OverlayDecode>* watcher_ = nullptr;
    quint64 generation_ = 0;
    bool inFlight_ = false;
    QSize flightBox_;
    std::shared_ptr<std::atomic<bool>> stop_;
    QTimer boxSettled_;  // a new box size is read for once resizing pauses

    std::shared_ptr<const image::CPxImage> loaded_;  // as read, reduced to fit when large
    QSize fullSize_;                          // of the picture loaded_ was read from
    std::unique_ptr<image::CPxImage> posterized_;  // as shown before fitting, when posterizing
    QImage shown_;
    bool posterize_ = false;
    int colours_ = 16;
    options::Colour keep_ = 0;
    bool picking_ = false;
    bool dragging_ = false;
};

}  // namespace vig::ui
