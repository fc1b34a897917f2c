// The quick dialog "Vignettor Snapshrink": the naming style, the size, the
// resize method, the output format and the output folder of one use of the
// command, pre-filled from the program's settings. It stores nothing.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <memory>

#include "shellext/library/quick_settings.h"

namespace Ui {
class SnapshrinkDlg;
}

namespace vig::shell {

class CSnapshrinkDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSnapshrinkDlg(const QuickSettings& values, QWidget* parent = nullptr);
    ~CSnapshrinkDlg() override;

    // The values as the dialog ended with "Start".
    const QuickSettings& Values() const { return values_; }

    // "Start": takes the values over when width and height are whole
    // numbers, else says so and stays open.
    void accept() override;

private:
    void OnResizeSelected(int index);
    void OnFormatSelected(int index);
    void OnFromInput();
    void OnBrowse();
    // Reads a whole number from an edit; says so and keeps the focus there
    // when it is none.
    bool TakeInteger(QLineEdit* edit, int* value);

    std::unique_ptr<Ui::SnapshrinkDlg> ui_;
    QuickSettings values_;
};

}  // namespace vig::shell
