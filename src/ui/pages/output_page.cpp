#include "ui/pages/output_page.h"

#include <ctime>

#include "engine/command_line.h"
#include "ui/sheet_texts.h"
#include "ui_output_page.h"

namespace vig::ui {
namespace {

QString DateText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&t, &local) == nullptr) return {};
    char text[64];
    if (std::strftime(text, sizeof text, texts::kDateFormat, &local) == 0) return {};
    return QString::fromLatin1(text);
}

}  // namespace

COutputPage::COutputPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kOutputPageTitle, widgets::HelpTopic::FilesAndFolders, parent) {
    using B = options::BatchOptions;
    Bind({{Bound::Choice,
           nullptr,
           &B::OutputRenameStyle,
           0,
           0,
           {{ui_->renameOverwrite, options::Overwrite},
            {ui_->renameAutoNumber, options::AutoNumericSuffix},
            {ui_->renamePrefix, options::TextPrefix},
            {ui_->renameSuffix, options::TextSuffix}}},
          {Bound::Text, ui_->extraText, &B::OutputExtraText},
          {Bound::Choice,
           nullptr,
           &B::OutputCase,
           0,
           0,
           {{ui_->caseNoChange, options::NoChange},
            {ui_->caseLower, options::Lower},
            {ui_->caseUpper, options::Upper}}},
          {Bound::Text, ui_->nameFilter, &B::OutputFilterString},
          {Bound::Flag, ui_->filterJpg, &B::OutputFilterJPG},
          {Bound::Flag, ui_->filterPng, &B::OutputFilterPNG},
          {Bound::Flag, ui_->filterBmp, &B::OutputFilterBMP},
          {Bound::Flag, ui_->filterTif, &B::OutputFilterTIF},
          {Bound::Flag, ui_->filterPcx, &B::OutputFilterPCX},
          {Bound::Flag, ui_->filterGif, &B::OutputFilterGIF},
          {Bound::Flag, ui_->filterHeif, &B::OutputFilterHEIF},
          {Bound::Flag, ui_->filterAvif, &B::OutputFilterAVIF},
          {Bound::Flag, ui_->filterWebp, &B::OutputFilterWEBP},
          {Bound::Flag, ui_->createFolder, &B::OutputCreateFolder},
          {Bound::Flag, ui_->recurse, &B::OutputRecurseSrc},
          {Bound::Flag, ui_->duplicateTree, &B::OutputDuplicateSrcTree},
          {Bound::Flag, ui_->branchFromSource, &B::OutputBranchFromSrc},
          {Bound::Text, ui_->branchPath, &B::OutputBranchPath},
          {Bound::Choice,
           nullptr,
           &B::OutputSortFiles,
           0,
           0,
           {{ui_->sortNone, options::NoSort},
            {ui_->sortAlphabetic, options::Alphabetic},
            {ui_->sortDate, options::ByDate}}},
          {Bound::Flag, ui_->sortDescending, &B::OutputSortFilesDescending}});
    UpdateRulesOnToggle({ui_->renameOverwrite, ui_->renameAutoNumber, ui_->renamePrefix,
                         ui_->renameSuffix, ui_->duplicateTree, ui_->branchFromSource});
    // Clicking "Read Files In Subfolders" while duplicating keeps it on.
    connect(ui_->recurse, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on && ui_->duplicateTree->isChecked()) ui_->recurse->setChecked(true);
    });
    connect(ui_->extraText, &QLineEdit::textEdited, this, &COutputPage::OnExtraTextEdited);
}

COutputPage::~COutputPage() = default;

void COutputPage::ShowOptions() {
    const options::BatchOptions& o = options_;
    ShowFields();
    // The date filter is on only with a date to filter by.
    ShowFlag(ui_->useDateFilter, o.OutputDateFilter);
    ui_->dateEdit->setText(DateText(o.OutputDateDate));
    if (ui_->dateEdit->text().isEmpty()) ui_->useDateFilter->setChecked(false);
    ShowChoice({{ui_->dateBefore, 1}, {ui_->dateAfter, 0}},
               options::On(o.OutputDateFilterBefore) ? 1 : 0);
    UpdateRules();
}

void COutputPage::UpdateRules() {
    ui_->extraText->setEnabled(!ui_->renameAutoNumber->isChecked());
    const bool duplicate = ui_->duplicateTree->isChecked();
    const bool branch = ui_->branchFromSource->isChecked();
    if (duplicate) ui_->recurse->setChecked(true);
    // Each of the two excludes the other; a record with both on leaves both
    // free so that one can be turned off.
    ui_->recurse->setEnabled(!duplicate);
    ui_->branchFromSource->setEnabled(!duplicate || branch);
    ui_->branchPath->setEnabled(branch && !duplicate);
    ui_->duplicateTree->setEnabled(!branch || duplicate);
}

void COutputPage::OnExtraTextEdited() {
    if (!ui_->renamePrefix->isChecked() && !ui_->renameSuffix->isChecked())
        ui_->renamePrefix->setChecked(true);
}

bool COutputPage::LeavePage() {
    options::BatchOptions& o = options_;
    if (ui_->nameFilter->text().trimmed().isEmpty())
        ui_->nameFilter->setText(QString::fromLatin1(texts::kAllFilesFilter));
    if (ui_->branchFromSource->isChecked() && ui_->branchPath->text().isEmpty())
        ui_->branchPath->setText(QString::fromLatin1(texts::kDefaultBranchPath));
    ReadFields();

    // An empty date switches the filter off; a date that does not read as
    // day/month/year does the same, after saying so.
    if (ui_->dateEdit->text().isEmpty()) ui_->useDateFilter->setChecked(false);
    o.OutputDateFilter = ReadFlag(ui_->useDateFilter);
    if (o.OutputDateFilter == 1) {
        o.OutputDateFilterBefore = ui_->dateBefore->isChecked() ? 1 : 0;
        int64_t date = 0;
        if (engine::ParseDate(ui_->dateEdit->text().toStdString(), &date)) {
            o.OutputDateDate = date;
        } else {
            Warn(texts::kInvalidDate);
            ui_->useDateFilter->setChecked(false);
            o.OutputDateFilter = 0;
        }
    }
    return true;
}

}  // namespace vig::ui
