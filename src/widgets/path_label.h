// CPathStatic: a one-line text that shortens itself with "..." when it does
// not fit, instead of being cut: at its end (the default), or in the middle
// of a path so that the file name stays whole. It paints in its parent's
// font on the window background and repaints whole on every text change.
// Screen readers get the whole text.
#pragma once

#include <QLabel>

namespace vig::widgets {

class CPathStatic : public QLabel {
    Q_OBJECT
public:
    enum class Ellipsis { End, Path };
    static constexpr const char* kEllipsis = "...";

    explicit CPathStatic(QWidget* parent = nullptr, Ellipsis ellipsis = Ellipsis::End);

    // Where a text that does not fit is shortened (a Designer form makes
    // the line with the default).
    void SetEllipsis(Ellipsis ellipsis);

    // The text as drawn within `width` pixels of this font.
    QString DisplayText(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The text shortened to fit `width` pixels of `metrics`, with "..." at
    // the end or, for a path, before its last folder step.
    static QString Shorten(const QString& text, const QFontMetrics& metrics, int width,
                           Ellipsis ellipsis);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    Ellipsis ellipsis_;
};

}  // namespace vig::widgets
