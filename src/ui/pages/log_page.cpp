#include "ui/pages/log_page.h"

#include "ui/sheet_texts.h"
#include "ui_log_page.h"

namespace vig::ui {

CLogPage::CLogPage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kLogPageTitle, widgets::HelpTopic::Log, parent) {
    UpdateRulesOnToggle({ui_->makeLog, ui_->logInputName, ui_->logOutputName});
    connect(ui_->logBrowse, &QAbstractButton::clicked, this, [this] {
        const QString path = ChooseSaveFile(this, texts::kLogDialogTitle, ui_->logPath->text(),
                                            texts::kLogDefaultName, texts::kAllFilesDialogFilter);
        if (!path.isEmpty()) ui_->logPath->setText(path);
    });
}

CLogPage::~CLogPage() = default;

void CLogPage::ShowOptions() {
    const BatchOptions& o = options_;
    ShowFlag(ui_->makeLog, o.LogMakeLog);
    ShowFlag(ui_->appendLog, o.LogAppend);
    ui_->logPath->setText(QString::fromStdString(o.LogPath));
    ShowFlag(ui_->logHeader, o.LogHeader);
    ShowFlag(ui_->logInputName, o.LogInputName);
    ShowFlag(ui_->logInputDims, o.LogInputDims);
    ShowFlag(ui_->logOutputName, o.LogOutName);
    ShowFlag(ui_->logOutputDims, o.LogOutputDims);
    ShowFlag(ui_->logPngText, o.LogPNGText);
    UpdateRules();
}

void CLogPage::UpdateRules() {
    const bool on = ui_->makeLog->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_->appendLog, ui_->logPathLabel, ui_->logPath,
                                         ui_->logBrowse, ui_->logPathNote, ui_->itemsGroup})
        w->setEnabled(on);
    ui_->logInputDims->setEnabled(on && ui_->logInputName->isChecked());
    ui_->logOutputDims->setEnabled(on && ui_->logOutputName->isChecked());
}

bool CLogPage::LeavePage() {
    BatchOptions& o = options_;
    o.LogMakeLog = ReadFlag(ui_->makeLog);
    o.LogAppend = ReadFlag(ui_->appendLog);
    o.LogPath = ui_->logPath->text().toStdString();
    o.LogHeader = ReadFlag(ui_->logHeader);
    o.LogInputName = ReadFlag(ui_->logInputName);
    o.LogInputDims = ReadFlag(ui_->logInputDims);
    o.LogOutName = ReadFlag(ui_->logOutputName);
    o.LogOutputDims = ReadFlag(ui_->logOutputDims);
    o.LogPNGText = ReadFlag(ui_->logPngText);
    if (o.LogMakeLog == 1 && o.LogPath.empty()) Warn(texts::kNoLogFileName);
    return true;
}

}  // namespace vig::ui
