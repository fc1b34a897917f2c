#include "ui/form_helpers.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "engine/app_info.h"
#include "ui/colour_swatch.h"
#include "ui/sheet_texts.h"
#include "ui/up_down_edit.h"
#include "widgets/message_boxes.h"

namespace vig::ui {

void WarnUser(QWidget* parent, const char* text) {
    widgets::Messages().Show(parent, QString::fromStdString(engine::ApplicationTitle()),
                             texts::Tr(text), widgets::MessageIcon::Warning,
                             widgets::MessageButtons::Ok);
}

void Refuse(QWidget* parent, QWidget* control, const QString& text) {
    widgets::Messages().Show(parent, QString::fromStdString(engine::ApplicationTitle()), text,
                             widgets::MessageIcon::Warning, widgets::MessageButtons::Ok);
    // After the event that led here (a tab change brings the page back
    // first).
    QTimer::singleShot(0, control, [control] {
        control->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) spin->selectAll();
    });
}

bool ReadRangedValue(QWidget* parent, CUpDownEdit* edit, int lo, int hi, int* value) {
    const int v = edit->value();
    if (v < lo || v > hi) {
        Refuse(parent, edit, texts::Tr(texts::kEnterIntegerBetween).arg(lo).arg(hi));
        return false;
    }
    *value = v;
    return true;
}

int ReadCorrected(CUpDownEdit* edit, int lo, int hi) {
    const int v = std::clamp(edit->value(), lo, hi);
    edit->setValue(v);
    return v;
}

bool ReadRealValue(QWidget* parent, QLineEdit* edit, double* value) {
    // Unchanged text keeps the value it was made from, digit for digit.
    if (edit->text() == edit->property("shownText").toString() &&
        edit->property("shownValue").isValid()) {
        *value = edit->property("shownValue").toDouble();
        return true;
    }
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        Refuse(parent, edit, texts::Tr(texts::kEnterNumber));
        return false;
    }
    *value = v;
    return true;
}

void ShowRealValue(QLineEdit* edit, double value) {
    const QString text = QString::number(value, 'g', 15);
    edit->setText(text);
    edit->setProperty("shownText", text);
    edit->setProperty("shownValue", value);
}

namespace {

QString StartPath(const QString& current, const char* defaultName) {
    if (current.isEmpty()) return QString::fromLatin1(defaultName);
    const QFileInfo info(current);
    if (info.isDir()) return QDir(current).filePath(QString::fromLatin1(defaultName));
    return current;
}

}  // namespace

QString ChooseOpenFile(QWidget* parent, const char* title, const QString& current,
                       const char* filter) {
    return ChooseOpenFile(parent, title, current, texts::Tr(filter));
}

QString ChooseOpenFile(QWidget* parent, const char* title, const QString& current,
                       const QString& filter) {
    return QFileDialog::getOpenFileName(parent, texts::Tr(title), StartPath(current, ""), filter);
}

QString ChooseSaveFile(QWidget* parent, const char* title, const QString& current,
                       const char* defaultName, const char* filter) {
    // Appending to an existing log is normal: no question about replacing.
    return QFileDialog::getSaveFileName(parent, texts::Tr(title), StartPath(current, defaultName),
                                        texts::Tr(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void ShowFlag(QAbstractButton* box, int flag) {
    box->setChecked(flag == 1);
}

int ReadFlag(const QAbstractButton* box) {
    return box->isChecked() ? 1 : 0;
}

void ShowChoice(const RadioCodes& buttons, int code) {
    // With no button of the code, none stays checked: exclusive groups
    // need a moment without exclusivity to clear.
    QAbstractButton* match = nullptr;
    for (const auto& [button, c] : buttons)
        if (c == code) match = button;
    if (match != nullptr) {
        match->setChecked(true);
        return;
    }
    for (const auto& [button, c] : buttons) {
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(exclusive);
    }
}

int ReadChoice(const RadioCodes& buttons, int unchanged) {
    for (const auto& [button, c] : buttons)
        if (button->isChecked()) return c;
    return unchanged;
}

void ShowBound(const BoundControl& bound, int value) {
    switch (bound.kind) {
        case Bound::Flag:
            ShowFlag(static_cast<QAbstractButton*>(bound.control), value);
            break;
        case Bound::Choice:
            ShowChoice(*bound.choices, value);
            break;
        default:
            if (auto* slider = qobject_cast<QAbstractSlider*>(bound.control))
                slider->setValue(value);
            else
                static_cast<QSpinBox*>(bound.control)->setValue(value);
            break;
    }
}

void ShowBound(const BoundControl& bound, options::Colour value) {
    static_cast<CColourSwatch*>(bound.control)->setColour(value);
}

void ShowBound(const BoundControl& bound, double value) {
    ShowRealValue(static_cast<QLineEdit*>(bound.control), value);
}

void ShowBound(const BoundControl& bound, const std::string& value) {
    const QString text = QString::fromStdString(value);
    if (bound.kind == Bound::PlainText)
        static_cast<QPlainTextEdit*>(bound.control)->setPlainText(text);
    else
        static_cast<QLineEdit*>(bound.control)->setText(text);
}

bool CheckBound(QWidget* parent, const BoundControl& bound) {
    int whole = 0;
    double real = 0;
    if (bound.kind == Bound::Ranged)
        return ReadRangedValue(parent, static_cast<CUpDownEdit*>(bound.control), bound.lo, bound.hi,
                               &whole);
    if (bound.kind == Bound::Real)
        return ReadRealValue(parent, static_cast<QLineEdit*>(bound.control), &real);
    return true;
}

void ReadBound(const BoundControl& bound, int* value) {
    switch (bound.kind) {
        case Bound::Flag:
            *value = ReadFlag(static_cast<QAbstractButton*>(bound.control));
            break;
        case Bound::Choice:
            *value = ReadChoice(*bound.choices, *value);
            break;
        case Bound::Corrected:
            *value = ReadCorrected(static_cast<CUpDownEdit*>(bound.control), bound.lo, bound.hi);
            break;
        default:
            if (auto* slider = qobject_cast<QAbstractSlider*>(bound.control))
                *value = slider->value();
            else
                *value = static_cast<QSpinBox*>(bound.control)->value();
            break;
    }
}

void ReadBound(const BoundControl& bound, options::Colour* value) {
    *value = static_cast<CColourSwatch*>(bound.control)->colour();
}

void ReadBound(const BoundControl& bound, double* value) {
    // Checked already: the same text gives the same number.
    ReadRealValue(nullptr, static_cast<QLineEdit*>(bound.control), value);
}

void ReadBound(const BoundControl& bound, std::string* value) {
    *value = bound.kind == Bound::PlainText
                 ? static_cast<QPlainTextEdit*>(bound.control)->toPlainText().toStdString()
                 : static_cast<QLineEdit*>(bound.control)->text().toStdString();
}

}  // namespace vig::ui
