// A number edit with up-down arrows. The arrows move within their own
// range; typed text may hold any whole number, which the page checks or
// corrects when it is left (so a typed 40 can visibly become 32).
#pragma once

#include <QSpinBox>

namespace vig::ui {

class CUpDownEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit CUpDownEdit(QWidget* parent = nullptr);

    void setArrowRange(int minimum, int maximum);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    QSize Narrowed(QSize size) const;

    int arrowMin_ = 0;
    int arrowMax_ = 99;
};

}  // namespace vig::ui
