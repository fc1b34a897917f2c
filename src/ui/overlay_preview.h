// The overlay page's preview: the overlay image loaded through the image
// object, posterized when asked, fitted into the box with its aspect kept.
// While picking is allowed and an image is shown, the cursor is an
// eyedropper and pressing the left button (and moving with it held) picks
// the colour of the overlay pixel under the cursor.
#pragma once

#include <QFrame>
#include <QImage>
#include <memory>

#include "image/cpx_image.h"
#include "options/enums.h"

namespace vig::ui {

// The eyedropper cursor, hot spot at the tip.
QCursor EyedropperCursor();

class COverlayPreview : public QFrame {
    Q_OBJECT
public:
    explicit COverlayPreview(QWidget* parent = nullptr);
    ~COverlayPreview() override;

    // Loads the file; an empty path, a failed load or a size that is not
    // positive leave no image.
    void setImagePath(const QString& path);
    // Posterizes the shown image to `colours` colours keeping `keep` exact
    // (as a run does), or shows it as loaded.
    void setPosterize(bool on, int colours, Colour keep);
    void setPickingEnabled(bool on);

    bool hasImage() const;
    // What is drawn: the fitted image, and where inside the widget.
    const QImage& shownImage() const { return shown_; }
    QRect shownRect() const;
    // The overlay's colour under a point of the widget; false outside the
    // image.
    bool ColourAt(QPoint point, Colour* colour) const;

    QSize sizeHint() const override;

signals:
    void imageChanged(bool valid);
    void colourPicked(vig::Colour colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Posterize();
    void Rebuild();
    void UpdateCursor();
    void Pick(QPoint point);

    std::unique_ptr<CPxImage> loaded_;      // as read
    std::unique_ptr<CPxImage> posterized_;  // as shown before fitting, when posterizing
    QImage shown_;
    bool posterize_ = false;
    int colours_ = 16;
    Colour keep_ = 0;
    bool picking_ = false;
    bool dragging_ = false;
};

}  // namespace vig::ui
