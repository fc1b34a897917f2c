// The quick dialog's behaviour: what it shows on opening, the relabelling on
// a change of the resize method, "From Input", and what "Start" hands back.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "shellext/library/quick_dialog.h"
#include "widgets/message_boxes.h"

namespace vig::shell {
namespace {

class RecordingBoxes final : public widgets::MessageBoxes {
public:
    widgets::MessageAnswer Show(QWidget*, const QString& caption, const QString& text,
                                widgets::MessageIcon, widgets::MessageButtons) override {
        shown.push_back(caption + "|" + text);
        return widgets::MessageAnswer::Ok;
    }
    std::vector<QString> shown;
};

template <typename T>
T* Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

QuickSettings Stored() {
    QuickSettings s;
    s.width = 120;
    s.height = 90;
    s.outputFormat = 18;
    s.resizeMethod = 0;
    s.renameStyle = 3;
    s.destFolder = "/Out";
    s.extraText = "th_";
    s.inputFolder = "/In/photos";
    return s;
}

TEST(QuickDialog, OpensWithTheStoredValuesAndTheTemplateLabels) {
    CSnapshrinkDlg dialog(Stored());
    EXPECT_EQ(dialog.windowTitle(), "Vignettor Snapshrink");
    EXPECT_TRUE(Child<QRadioButton>(dialog, "autoNumberRadio")->isChecked());
    EXPECT_EQ(Child<QComboBox>(dialog, "formatCombo")->currentText(), "GIF");
    EXPECT_EQ(Child<QComboBox>(dialog, "formatCombo")->count(), 19);
    EXPECT_EQ(Child<QComboBox>(dialog, "resizeCombo")->currentText(), "No Resize");
    // No relabelling before the user changes the method.
    EXPECT_EQ(Child<QLabel>(dialog, "widthLabel")->text().remove('&'), " Width");
    EXPECT_EQ(Child<QLabel>(dialog, "heightLabel")->text().remove('&'), "Height");
    EXPECT_FALSE(Child<QLineEdit>(dialog, "heightEdit")->isHidden());
    EXPECT_TRUE(Child<QCheckBox>(dialog, "enlargeCheck")->isEnabled());
    EXPECT_EQ(Child<QLineEdit>(dialog, "widthEdit")->text(), "120");
    EXPECT_EQ(Child<QLineEdit>(dialog, "destFolderEdit")->text(), "/Out");
    EXPECT_EQ(Child<QLabel>(dialog, "extraTextLabel")->buddy(),
              Child<QLineEdit>(dialog, "extraTextEdit"));

    QuickSettings odd = Stored();
    odd.renameStyle = 7;
    odd.outputFormat = 42;
    CSnapshrinkDlg unmatched(odd);
    for (const char* radio : {"overwriteRadio", "autoNumberRadio", "prefixRadio", "suffixRadio"})
        EXPECT_FALSE(Child<QRadioButton>(unmatched, radio)->isChecked()) << radio;
    EXPECT_EQ(Child<QComboBox>(unmatched, "formatCombo")->currentIndex(), -1);
}

TEST(QuickDialog, RelabelsTheSizeByTheResizeMethodChosen) {
    const struct {
        int method;
        const char *first, *second;
        bool heightShown, enlarge;
    } rows[] = {
        {5, "Area", "", false, false},       {6, "Percent", "", false, false},
        {0, "Width", "Height", true, false}, {1, "Width", "Height", true, true},
        {2, "Width", "Height", true, true},  {3, "Width", "Height", true, true},
        {4, "Width", "Height", true, false},
    };
    CSnapshrinkDlg dialog(Stored());
    auto* list = Child<QComboBox>(dialog, "resizeCombo");
    for (const auto& r : rows) {
        list->setCurrentIndex(list->findData(r.method));
        EXPECT_EQ(Child<QLabel>(dialog, "widthLabel")->text().remove('&'), r.first) << r.method;
        EXPECT_EQ(Child<QLabel>(dialog, "heightLabel")->text().remove('&'), r.second) << r.method;
        EXPECT_EQ(!Child<QLineEdit>(dialog, "heightEdit")->isHidden(), r.heightShown);
        EXPECT_EQ(Child<QCheckBox>(dialog, "enlargeCheck")->isEnabled(), r.enlarge);
    }
}

TEST(QuickDialog, StartHandsBackWhatWasChosen) {
    CSnapshrinkDlg dialog(Stored());
    Child<QComboBox>(dialog, "resizeCombo")->setCurrentIndex(2);  // Fixed Width
    Child<QComboBox>(dialog, "formatCombo")->setCurrentIndex(8);  // PNG 24 bit
    Child<QRadioButton>(dialog, "prefixRadio")->click();
    Child<QPushButton>(dialog, "fromInputButton")->click();
    EXPECT_EQ(Child<QLineEdit>(dialog, "destFolderEdit")->text(), "/In/photos");
    Child<QLineEdit>(dialog, "widthEdit")->setText("64");
    Child<QLineEdit>(dialog, "extraTextEdit")->setText("small_");
    Child<QCheckBox>(dialog, "enlargeCheck")->setChecked(true);
    Child<QCheckBox>(dialog, "resetCheck")->setChecked(true);
    Child<QPushButton>(dialog, "startButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const QuickSettings& v = dialog.Values();
    EXPECT_EQ(v.resizeMethod, 2);
    EXPECT_EQ(v.outputFormat, 9);
    EXPECT_EQ(v.renameStyle, 1);
    EXPECT_EQ(v.destFolder, "/In/photos");
    EXPECT_EQ(v.width, 64);
    EXPECT_EQ(v.height, 90);
    EXPECT_EQ(v.extraText, "small_");
    EXPECT_TRUE(v.allowEnlarge);
    EXPECT_TRUE(v.resetOthers);
}

TEST(QuickDialog, StaysOpenUntilTheSizeIsAWholeNumber) {
    RecordingBoxes boxes;
    widgets::SetMessages(&boxes);
    CSnapshrinkDlg dialog(Stored());
    dialog.show();
    for (const char* text : {"", "99999999999"}) {
        Child<QLineEdit>(dialog, "heightEdit")->setText(text);
        Child<QPushButton>(dialog, "startButton")->click();
        EXPECT_TRUE(dialog.isVisible()) << text;
    }
    widgets::SetMessages(nullptr);
    EXPECT_EQ(boxes.shown, (std::vector<QString>(2, "Vignettor|Please enter an integer.")));
    EXPECT_EQ(dialog.Values().height, 90);
    Child<QPushButton>(dialog, "cancelButton")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace vig::shell
