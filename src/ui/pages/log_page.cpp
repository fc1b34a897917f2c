#include "ui/pages/log_page.h"

#include "ui/sheet_texts.h"
#include "ui_log_page.h"

namespace vig::ui {

CLogPage::CLogPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kLogPageTitle, widgets::HelpTopic::Log, parent) {
    using B = options::BatchOptions;
    Bind({{Bound::Flag, ui_->makeLog, &B::LogMakeLog},
          {Bound::Flag, ui_->appendLog, &B::LogAppend},
          {Bound::Text, ui_->logPath, &B::LogPath},
          {Bound::Flag, ui_->logHeader, &B::LogHeader},
          {Bound::Flag, ui_->logInputName, &B::LogInputName},
          {Bound::Flag, ui_->logInputDims, &B::LogInputDims},
          {Bound::Flag, ui_->logOutputName, &B::LogOutName},
          {Bound::Flag, ui_->logOutputDims, &B::LogOutputDims},
          {Bound::Flag, ui_->logPngText, &B::LogPNGText}});
    UpdateRulesOnToggle({ui_->makeLog, ui_->logInputName, ui_->logOutputName});
    connect(ui_->logBrowse, &QAbstractButton::clicked, this, [this] {
        const QString path = ChooseSaveFile(this, texts::kLogDialogTitle, ui_->logPath->text(),
                                            texts::kLogDefaultName, texts::kAllFilesDialogFilter);
        if (!path.isEmpty()) ui_->logPath->setText(path);
    });
}

CLogPage::~CLogPage() = default;

void CLogPage::ShowOptions() {
    ShowFields();
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
    ReadFields();
    if (options::On(options_.LogMakeLog) && options_.LogPath.empty()) Warn(texts::kNoLogFileName);
    return true;
}

}  // namespace vig::ui
