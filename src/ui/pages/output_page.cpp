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

COutputPage::COutputPage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kOutputPageTitle, widgets::HelpTopic::FilesAndFolders, parent) {
    UpdateRulesOnToggle({ui_->renameOverwrite, ui_->renameAutoNumber, ui_->renamePrefix,
                         ui_->renameSuffix, ui_->duplicateTree, ui_->branchFromSource});
    // Clicking "Read Files In Subfolders" while duplicating keeps it on.
    connect(ui_->recurse, &QAbstractButton::toggled, this, [this](bool on) {
        if (!on && ui_->duplicateTree->isChecked()) ui_->recurse->setChecked(true);
    });
    connect(ui_->extraText, &QLineEdit::textEdited, this, &COutputPage::OnExtraTextEdited);
}

COutputPage::~COutputPage() = default;

RadioCodes COutputPage::RenameButtons() const {
    return {{ui_->renameOverwrite, Overwrite},
            {ui_->renameAutoNumber, AutoNumericSuffix},
            {ui_->renamePrefix, TextPrefix},
            {ui_->renameSuffix, TextSuffix}};
}

void COutputPage::ShowOptions() {
    const BatchOptions& o = options_;
    ShowChoice(RenameButtons(), o.OutputRenameStyle);
    ui_->extraText->setText(QString::fromStdString(o.OutputExtraText));
    ShowChoice({{ui_->caseNoChange, NoChange}, {ui_->caseLower, Lower}, {ui_->caseUpper, Upper}},
               o.OutputCase);
    ui_->nameFilter->setText(QString::fromStdString(o.OutputFilterString));
    ShowFlag(ui_->filterJpg, o.OutputFilterJPG);
    ShowFlag(ui_->filterPng, o.OutputFilterPNG);
    ShowFlag(ui_->filterBmp, o.OutputFilterBMP);
    ShowFlag(ui_->filterTif, o.OutputFilterTIF);
    ShowFlag(ui_->filterPcx, o.OutputFilterPCX);
    ShowFlag(ui_->filterGif, o.OutputFilterGIF);
    ShowFlag(ui_->filterHeif, o.OutputFilterHEIF);
    ShowFlag(ui_->filterAvif, o.OutputFilterAVIF);
    ShowFlag(ui_->filterWebp, o.OutputFilterWEBP);
    ShowFlag(ui_->useDateFilter, o.OutputDateFilter);
    ui_->dateEdit->setText(DateText(o.OutputDateDate));
    if (ui_->dateEdit->text().isEmpty()) ui_->useDateFilter->setChecked(false);
    ShowChoice({{ui_->dateBefore, 1}, {ui_->dateAfter, 0}}, o.OutputDateFilterBefore == 1 ? 1 : 0);
    ShowFlag(ui_->createFolder, o.OutputCreateFolder);
    ShowFlag(ui_->recurse, o.OutputRecurseSrc);
    ShowFlag(ui_->duplicateTree, o.OutputDuplicateSrcTree);
    ShowFlag(ui_->branchFromSource, o.OutputBranchFromSrc);
    ui_->branchPath->setText(QString::fromStdString(o.OutputBranchPath));
    ShowChoice(
        {{ui_->sortNone, NoSort}, {ui_->sortAlphabetic, Alphabetic}, {ui_->sortDate, ByDate}},
        o.OutputSortFiles);
    ShowFlag(ui_->sortDescending, o.OutputSortFilesDescending);
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
    BatchOptions& o = options_;
    o.OutputRenameStyle = ReadChoice(RenameButtons(), o.OutputRenameStyle);
    o.OutputExtraText = ui_->extraText->text().toStdString();
    o.OutputCase = ReadChoice(
        {{ui_->caseNoChange, NoChange}, {ui_->caseLower, Lower}, {ui_->caseUpper, Upper}},
        o.OutputCase);
    if (ui_->nameFilter->text().trimmed().isEmpty())
        ui_->nameFilter->setText(QString::fromLatin1(texts::kAllFilesFilter));
    o.OutputFilterString = ui_->nameFilter->text().toStdString();
    o.OutputFilterJPG = ReadFlag(ui_->filterJpg);
    o.OutputFilterPNG = ReadFlag(ui_->filterPng);
    o.OutputFilterBMP = ReadFlag(ui_->filterBmp);
    o.OutputFilterTIF = ReadFlag(ui_->filterTif);
    o.OutputFilterPCX = ReadFlag(ui_->filterPcx);
    o.OutputFilterGIF = ReadFlag(ui_->filterGif);
    o.OutputFilterHEIF = ReadFlag(ui_->filterHeif);
    o.OutputFilterAVIF = ReadFlag(ui_->filterAvif);
    o.OutputFilterWEBP = ReadFlag(ui_->filterWebp);
    o.OutputCreateFolder = ReadFlag(ui_->createFolder);
    o.OutputRecurseSrc = ReadFlag(ui_->recurse);
    o.OutputDuplicateSrcTree = ReadFlag(ui_->duplicateTree);
    o.OutputBranchFromSrc = ReadFlag(ui_->branchFromSource);
    if (o.OutputBranchFromSrc == 1 && ui_->branchPath->text().isEmpty())
        ui_->branchPath->setText(QString::fromLatin1(texts::kDefaultBranchPath));
    o.OutputBranchPath = ui_->branchPath->text().toStdString();
    o.OutputSortFiles = ReadChoice(
        {{ui_->sortNone, NoSort}, {ui_->sortAlphabetic, Alphabetic}, {ui_->sortDate, ByDate}},
        o.OutputSortFiles);
    o.OutputSortFilesDescending = ReadFlag(ui_->sortDescending);

    // An empty date switches the filter off; a date that does not read as
    // day/month/year does the same, after saying so.
    if (ui_->dateEdit->text().isEmpty()) ui_->useDateFilter->setChecked(false);
    o.OutputDateFilter = ReadFlag(ui_->useDateFilter);
    if (o.OutputDateFilter == 1) {
        o.OutputDateFilterBefore = ui_->dateBefore->isChecked() ? 1 : 0;
        int64_t date = 0;
        if (ParseDate(ui_->dateEdit->text().toStdString(), &date)) {
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
