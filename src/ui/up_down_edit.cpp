#include "ui/up_down_edit.h"

#include <QFontMetrics>
#include <algorithm>

namespace vig::ui {
namespace {

constexpr int kTypedMinimum = -99999999;
constexpr int kTypedMaximum = 999999999;

}  // namespace

CUpDownEdit::CUpDownEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(kTypedMinimum, kTypedMaximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void CUpDownEdit::setArrowRange(int minimum, int maximum) {
    arrowMin_ = minimum;
    arrowMax_ = maximum;
    updateGeometry();
}

void CUpDownEdit::stepBy(int steps) {
    const long long next = static_cast<long long>(value()) + steps;
    setValue(static_cast<int>(std::clamp<long long>(next, arrowMin_, arrowMax_)));
    selectAll();
}

QAbstractSpinBox::StepEnabled CUpDownEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < arrowMax_) enabled |= StepUpEnabled;
    if (value() > arrowMin_) enabled |= StepDownEnabled;
    return enabled;
}

// The base sizes the edit for the typed range; the arrows' range (and at
// least four digits) is what the page shows.
QSize CUpDownEdit::Narrowed(QSize size) const {
    const QFontMetrics fm(font());
    const int wide = std::max(fm.horizontalAdvance(QString::number(kTypedMinimum)),
                              fm.horizontalAdvance(QString::number(kTypedMaximum)));
    const int narrow = std::max({fm.horizontalAdvance(QString::number(arrowMin_)),
                                 fm.horizontalAdvance(QString::number(arrowMax_)),
                                 fm.horizontalAdvance(QStringLiteral("0000"))});
    size.setWidth(size.width() - wide + narrow);
    return size;
}

QSize CUpDownEdit::sizeHint() const {
    return Narrowed(QSpinBox::sizeHint());
}

QSize CUpDownEdit::minimumSizeHint() const {
    return Narrowed(QSpinBox::minimumSizeHint());
}

}  // namespace vig::ui
