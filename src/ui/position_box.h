// The overlay position box: a 3 x 3 grid in a black frame. In "3x3" mode
// every cell is a position; in "Edges" mode only the four edge-middle
// cells are. Clicks, and the arrow keys, choose the position.
#pragma once

#include <QWidget>

namespace vig::ui {

enum class PositionMode { Grid, Edges };

// The position a click on grid cell 0..8 (row by row, top-left 0) selects;
// -1 for a cell that does not count in the mode (the position stays) and
// 0 for a click outside the cells in "Edges" mode.
int PositionForCell(PositionMode mode, int cell);
// The cell drawn for a position in a mode, -1 when none.
int CellForPosition(PositionMode mode, int position);
// The position after switching to `mode`.
int PositionForMode(PositionMode mode, int position);
// The mode the page opens in for a stored position.
PositionMode ModeForPosition(int position);

class CPositionBox : public QWidget {
    Q_OBJECT
public:
    explicit CPositionBox(QWidget* parent = nullptr);

    int position() const { return position_; }
    void setPosition(int position);
    PositionMode mode() const { return mode_; }
    // Shows a stored state as it is (at opening).
    void reset(PositionMode mode, int position);
    // Switches the mode and maps the position to it.
    void setMode(PositionMode mode);
    // The cell filled with yellow while the overlay is on; a darker button
    // face otherwise.
    void setHighlighted(bool on);

    // Cell 0..8 under a point of the widget, -1 outside the cells.
    int CellAt(QPoint point) const;
    QRect CellRect(int cell) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void positionChanged(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect GridRect() const;
    void UpdateAccessibleText();

    int position_ = 0;
    PositionMode mode_ = PositionMode::Grid;
    bool highlighted_ = true;
};

}  // namespace vig::ui
