#include "shellext/library/quick_dialog.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QRegularExpressionValidator>

#include "options/enums.h"
#include "shellext/shared/shell_texts.h"
#include "ui_quick_dialog.h"
#include "widgets/dialog_buttons.h"
#include "widgets/message_boxes.h"
#include "widgets/pictures.h"
#include "widgets/translations.h"

namespace vig::shell {
namespace {

constexpr int kIconSize = 32;

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

// Puts the entries in with their stored codes and selects the one of
// `code`, without counting as a selection change.
void FillList(QComboBox* list, const char* const* texts, int count, int firstCode, int code) {
    const QSignalBlocker block(list);
    for (int i = 0; i < count; ++i)
        list->addItem(widgets::Translated(options::kListContext, texts[i]), firstCode + i);
    list->setCurrentIndex(list->findData(code));
}

int SelectedCode(const QComboBox* list, int index) {
    return index < 0 ? 0 : list->itemData(index).toInt();
}

}  // namespace

CSnapshrinkDlg::CSnapshrinkDlg(const QuickSettings& values, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::SnapshrinkDlg>()), values_(values) {
    ui_->setupUi(this);
    setWindowIcon(widgets::ApplicationIcon());
    ui_->iconLabel->setPixmap(widgets::ApplicationIcon().pixmap(kIconSize, kIconSize));
    widgets::WidenButtons(this);

    // The bound values into the controls.
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    ui_->widthEdit->setValidator(digits);
    ui_->heightEdit->setValidator(digits);
    ui_->widthEdit->setText(QString::number(values_.width));
    ui_->heightEdit->setText(QString::number(values_.height));
    ui_->extraTextEdit->setText(Text(values_.extraText));
    ui_->destFolderEdit->setText(Text(values_.destFolder));
    ui_->enlargeCheck->setChecked(values_.allowEnlarge);
    ui_->resetCheck->setChecked(values_.resetOthers);

    // The naming styles; any other stored style checks none of them.
    auto* styles = new QButtonGroup(this);
    styles->addButton(ui_->overwriteRadio, options::Overwrite);
    styles->addButton(ui_->prefixRadio, options::TextPrefix);
    styles->addButton(ui_->suffixRadio, options::TextSuffix);
    styles->addButton(ui_->autoNumberRadio, options::AutoNumericSuffix);
    if (QAbstractButton* b = styles->button(values_.renameStyle)) b->setChecked(true);
    connect(styles, &QButtonGroup::idClicked, this, [this](int id) { values_.renameStyle = id; });

    FillList(ui_->formatCombo, options::kOutputFormatTexts, options::FormatGifGray,
             options::FormatSame24, values_.outputFormat);
    FillList(ui_->resizeCombo, options::kResizeMethodTexts, options::Percent + 1, options::NoResize,
             values_.resizeMethod);
    connect(ui_->resizeCombo, &QComboBox::currentIndexChanged, this,
            &CSnapshrinkDlg::OnResizeSelected);
    connect(ui_->formatCombo, &QComboBox::currentIndexChanged, this,
            &CSnapshrinkDlg::OnFormatSelected);
    connect(ui_->fromInputButton, &QPushButton::clicked, this, &CSnapshrinkDlg::OnFromInput);
    connect(ui_->browseButton, &QPushButton::clicked, this, &CSnapshrinkDlg::OnBrowse);
    connect(ui_->startButton, &QPushButton::clicked, this, &CSnapshrinkDlg::accept);
}

CSnapshrinkDlg::~CSnapshrinkDlg() = default;

void CSnapshrinkDlg::OnResizeSelected(int index) {
    values_.resizeMethod = SelectedCode(ui_->resizeCombo, index);
    const int m = values_.resizeMethod;
    const bool twoSides = m >= options::NoResize && m <= options::ExactSize;
    ui_->widthLabel->setText(widgets::Translated("vig::shell", twoSides ? kWidthLabel
                                                               : m == options::PixelArea
                                                                   ? kAreaLabel
                                                                   : kPercentLabel));
    ui_->heightLabel->setText(twoSides ? widgets::Translated("vig::shell", kHeightLabel) : QString());
    ui_->heightEdit->setVisible(twoSides);
    ui_->enlargeCheck->setEnabled(options::MethodAllowsEnlarge(m));
}

void CSnapshrinkDlg::OnFormatSelected(int index) {
    values_.outputFormat = SelectedCode(ui_->formatCombo, index);
}

void CSnapshrinkDlg::OnFromInput() {
    values_.destFolder = values_.inputFolder;
    ui_->destFolderEdit->setText(Text(values_.destFolder));
}

void CSnapshrinkDlg::OnBrowse() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, widgets::Translated("vig::shell", kChooseFolderTitle),
                                          Text(values_.inputFolder), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return;
    values_.destFolder = folder.toStdString();
    ui_->destFolderEdit->setText(folder);
}

bool CSnapshrinkDlg::TakeInteger(QLineEdit* edit, int* value) {
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (ok) {
        *value = v;
        return true;
    }
    widgets::Messages().Show(this, QString::fromUtf8(kMessageCaption),
                             widgets::Translated("vig::shell", kEnterInteger),
                             widgets::MessageIcon::Warning, widgets::MessageButtons::Ok);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CSnapshrinkDlg::accept() {
    QuickSettings taken = values_;
    if (!TakeInteger(ui_->widthEdit, &taken.width) || !TakeInteger(ui_->heightEdit, &taken.height))
        return;
    taken.extraText = ui_->extraTextEdit->text().toStdString();
    taken.destFolder = ui_->destFolderEdit->text().toStdString();
    taken.allowEnlarge = ui_->enlargeCheck->isChecked();
    taken.resetOthers = ui_->resetCheck->isChecked();
    values_ = taken;
    QDialog::accept();
}

}  // namespace vig::shell
