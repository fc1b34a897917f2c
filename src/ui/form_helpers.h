// What the options pages and the sheet's dialogs share to move values
// between their controls and the options record: warnings and refusals,
// range and number reads, flags and radio groups, the file dialogs of the
// "..." buttons, and the table that binds each control to its field once.
#pragma once

#include <QString>
#include <initializer_list>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "options/enums.h"

class QAbstractButton;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace vig::ui {

class CColourSwatch;
class CUpDownEdit;

// A warning over `parent` with the program's title and an exclamation icon.
void WarnUser(QWidget* parent, const char* text);
// A check's message; `control` gets the focus and its text is selected.
void Refuse(QWidget* parent, QWidget* control, const QString& text);
// A whole number within lo..hi, or the range message (false).
bool ReadRangedValue(QWidget* parent, CUpDownEdit* edit, int lo, int hi, int* value);
// A whole number corrected into lo..hi; the edit shows the result.
int ReadCorrected(CUpDownEdit* edit, int lo, int hi);
// A real number, or the number message (false); text left as ShowRealValue
// showed it keeps the value exactly.
bool ReadRealValue(QWidget* parent, QLineEdit* edit, double* value);
void ShowRealValue(QLineEdit* edit, double value);

// Flags (1 on, anything else off) to check boxes and back.
void ShowFlag(QAbstractButton* box, int flag);
int ReadFlag(const QAbstractButton* box);

// A group of radio buttons standing for the codes of one field.
using RadioCodes = std::vector<std::pair<QAbstractButton*, int>>;
// Checks the button of `code`; none when no button has it.
void ShowChoice(const RadioCodes& buttons, int code);
// The code of the checked button, or `unchanged` when none is checked.
int ReadChoice(const RadioCodes& buttons, int unchanged);

// The file dialogs of the "..." buttons, starting at the current path (its
// folder, and its name where it has one, else `defaultName`). "" when
// cancelled.
QString ChooseOpenFile(QWidget* parent, const char* title, const QString& current,
                       const char* filter);
QString ChooseOpenFile(QWidget* parent, const char* title, const QString& current,
                       const QString& filter);
QString ChooseSaveFile(QWidget* parent, const char* title, const QString& current,
                       const char* defaultName, const char* filter);

// How a control shows and reads its field.
enum class Bound {
    Flag,       // check box <-> int (1 on)
    Text,       // line edit <-> std::string
    PlainText,  // plain text edit <-> std::string
    Colour,     // colour swatch <-> Colour
    Number,     // up-down edit or slider <-> int, as it is
    Corrected,  // up-down edit <-> int, corrected into lo..hi when read
    Ranged,     // up-down edit <-> int, refused outside lo..hi
    Real,       // line edit <-> double, refused when not a number
    Choice,     // radio buttons <-> int code
};

// One control and how it is bound, whatever the type of its field.
struct BoundControl {
    Bound kind;
    QWidget* control;  // nullptr for Choice
    int lo;
    int hi;
    const RadioCodes* choices;
};
void ShowBound(const BoundControl& bound, int value);
void ShowBound(const BoundControl& bound, options::Colour value);
void ShowBound(const BoundControl& bound, double value);
void ShowBound(const BoundControl& bound, const std::string& value);
// False, after the refusal, when a Ranged or Real control holds what its
// field cannot take; true for every other kind.
bool CheckBound(QWidget* parent, const BoundControl& bound);
// The control's value (checked before) into the field.
void ReadBound(const BoundControl& bound, int* value);
void ReadBound(const BoundControl& bound, options::Colour* value);
void ReadBound(const BoundControl& bound, double* value);
void ReadBound(const BoundControl& bound, std::string* value);

// The controls of a form bound to the fields of a record, one row each:
// {kind, control, field}, with the range of Corrected and Ranged rows and
// the buttons of Choice rows. Show puts every field into its control in
// the table's order; Read checks every row that can refuse first, then
// takes every field back in order, so a refusal leaves the record as it was.
template <class Record>
class FormBindings {
public:
    using Field = std::variant<int Record::*, options::Colour Record::*, double Record::*,
                               std::string Record::*>;
    struct Row {
        Row(Bound kind, QWidget* control, Field field, int lo = 0, int hi = 0,
            RadioCodes choices = RadioCodes())
            : kind(kind),
              control(control),
              field(field),
              lo(lo),
              hi(hi),
              choices(std::move(choices)) {}
        Bound kind;
        QWidget* control;
        Field field;
        int lo;
        int hi;
        RadioCodes choices;
    };

    FormBindings() = default;
    FormBindings(std::initializer_list<Row> rows) : rows_(rows) {}

    void Show(const Record& record) const {
        for (const Row& row : rows_)
            std::visit([&](auto field) { ShowBound(Control(row), record.*field); }, row.field);
    }

    // The refusal of the first row that cannot be taken (false), or true.
    bool Check(QWidget* parent) const {
        for (const Row& row : rows_)
            if (!CheckBound(parent, Control(row))) return false;
        return true;
    }

    bool Read(QWidget* parent, Record& record) const {
        if (!Check(parent)) return false;
        for (const Row& row : rows_)
            std::visit([&](auto field) { ReadBound(Control(row), &(record.*field)); }, row.field);
        return true;
    }

private:
    static BoundControl Control(const Row& row) {
        return {row.kind, row.control, row.lo, row.hi, &row.choices};
    }

    std::vector<Row> rows_;
};

}  // namespace vig::ui
