#include "ui/pages/options_page.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "engine/app_info.h"
#include "ui/sheet_texts.h"
#include "ui/up_down_edit.h"

namespace vig::ui {

COptionsPage::COptionsPage(BatchOptions& options, QString title, widgets::HelpTopic helpTopic,
                           QWidget* parent)
    : QWidget(parent), options_(options), title_(std::move(title)), helpTopic_(helpTopic) {}

void WarnUser(QWidget* parent, const char* text) {
    widgets::Messages().Show(parent, QString::fromStdString(ApplicationTitle()), texts::Tr(text),
                             widgets::MessageIcon::Warning, widgets::MessageButtons::Ok);
}

void Refuse(QWidget* parent, QWidget* control, const QString& text) {
    widgets::Messages().Show(parent, QString::fromStdString(ApplicationTitle()), text,
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

void COptionsPage::UpdateRulesOnToggle(std::initializer_list<QAbstractButton*> buttons) {
    for (QAbstractButton* b : buttons)
        connect(b, &QAbstractButton::toggled, this, &COptionsPage::UpdateRules);
}

bool COptionsPage::ReadReal(QLineEdit* edit, double* value) {
    // Unchanged text keeps the value it was made from, digit for digit.
    if (edit->text() == edit->property("shownText").toString() &&
        edit->property("shownValue").isValid()) {
        *value = edit->property("shownValue").toDouble();
        return true;
    }
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        Refuse(this, edit, texts::Tr(texts::kEnterNumber));
        return false;
    }
    *value = v;
    return true;
}

void COptionsPage::ShowReal(QLineEdit* edit, double value) {
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

}  // namespace vig::ui
