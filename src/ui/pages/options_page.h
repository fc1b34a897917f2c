// The base of the options sheet's pages. A page shows the fields it owns of
// the sheet's working copy of the options, takes them back with its
// corrections and checks when it is left (another tab or OK), and names its
// help topic.
#pragma once

#include <QWidget>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "options/batch_options.h"
#include "ui/window_texts.h"
#include "widgets/help.h"
#include "widgets/message_boxes.h"

class QAbstractButton;
class QLineEdit;

namespace vig::ui {

class CUpDownEdit;

// A warning over `parent` with the program's title and an exclamation icon.
void WarnUser(QWidget* parent, const char* text);
// A check's message; `control` gets the focus and its text is selected.
void Refuse(QWidget* parent, QWidget* control, const QString& text);
// A whole number within lo..hi, or the range message (false).
bool ReadRangedValue(QWidget* parent, CUpDownEdit* edit, int lo, int hi, int* value);
// A whole number corrected into lo..hi; the edit shows the result.
int ReadCorrected(CUpDownEdit* edit, int lo, int hi);

class COptionsPage : public QWidget {
    Q_OBJECT
public:
    COptionsPage(BatchOptions& options, QString title, widgets::HelpTopic helpTopic,
                 QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    widgets::HelpTopic helpTopic() const { return helpTopic_; }

    // The page's fields of the working copy into the controls, with the
    // enable rules.
    virtual void ShowOptions() = 0;
    // The controls into the working copy, with the page's corrections and
    // checks. False keeps the page open.
    virtual bool LeavePage() = 0;

protected:
    // The enable and disable rules of the page's current state.
    virtual void UpdateRules() {}
    // Each of these buttons applies the rules again when it changes.
    void UpdateRulesOnToggle(std::initializer_list<QAbstractButton*> buttons);

    void Warn(const char* text) { WarnUser(this, text); }
    bool ReadRanged(CUpDownEdit* edit, int lo, int hi, int* value) {
        return ReadRangedValue(this, edit, lo, hi, value);
    }
    // A real number; text left as it was shown keeps the value exactly.
    bool ReadReal(QLineEdit* edit, double* value);
    static void ShowReal(QLineEdit* edit, double value);

    BatchOptions& options_;

private:
    QString title_;
    widgets::HelpTopic helpTopic_;
};

// A page laid out by a Designer form (`Form`, from the page's .ui file).
template <class Form>
class CFormPage : public COptionsPage {
public:
    Form& ui() { return *ui_; }

protected:
    CFormPage(BatchOptions& options, const char* title, widgets::HelpTopic helpTopic,
              QWidget* parent)
        : COptionsPage(options, texts::Tr(title), helpTopic, parent),
          ui_(std::make_unique<Form>()) {
        ui_->setupUi(this);
    }

    std::unique_ptr<Form> ui_;
};

// The file dialogs of the "..." buttons, starting at the current path (its
// folder, and its name where it has one, else `defaultName`). "" when
// cancelled.
QString ChooseOpenFile(QWidget* parent, const char* title, const QString& current,
                       const char* filter);
QString ChooseOpenFile(QWidget* parent, const char* title, const QString& current,
                       const QString& filter);
QString ChooseSaveFile(QWidget* parent, const char* title, const QString& current,
                       const char* defaultName, const char* filter);

// Flags (1 on, anything else off) to check boxes and back.
void ShowFlag(QAbstractButton* box, int flag);
int ReadFlag(const QAbstractButton* box);

// A group of radio buttons standing for the codes of one field.
using RadioCodes = std::vector<std::pair<QAbstractButton*, int>>;
// Checks the button of `code`; none when no button has it.
void ShowChoice(const RadioCodes& buttons, int code);
// The code of the checked button, or `unchanged` when none is checked.
int ReadChoice(const RadioCodes& buttons, int unchanged);

}  // namespace vig::ui
