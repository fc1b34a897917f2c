#include "ui/pages/operation_page.h"

#include "ui/sheet_texts.h"
#include "ui/shell_registration.h"
#include "ui_operation_page.h"

namespace vig::ui {

COperationPage::COperationPage(BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kOperationPageTitle, widgets::HelpTopic::Operation, parent),
      extensionFolder_(ProgramFolder()) {
    ui_->threads->setArrowRange(0, kMaxThreads);
    ui_->memoryLimit->setArrowRange(0, kMaxMemoryLimit);
    ui_->resetNote->setVisible(false);
    connect(ui_->resetAll, &QPushButton::clicked, this, [this] {
        resetRequested_ = true;
        ui_->resetNote->setVisible(true);
    });
    connect(ui_->enableShell, &QPushButton::clicked, this,
            [this] { RegisterShellExtension(this, extensionFolder_, true); });
    connect(ui_->disableShell, &QPushButton::clicked, this,
            [this] { RegisterShellExtension(this, extensionFolder_, false); });
}

COperationPage::~COperationPage() = default;

void COperationPage::ShowOptions() {
    ShowFlag(ui_->silentOperation, options_.OpsSilentOperation);
    ui_->threads->setValue(options_.OpsThreads);
    ui_->memoryLimit->setValue(options_.OpsMemoryLimit);
}

bool COperationPage::LeavePage() {
    options_.OpsSilentOperation = ReadFlag(ui_->silentOperation);
    return ReadRanged(ui_->threads, 0, kMaxThreads, &options_.OpsThreads) &&
           ReadRanged(ui_->memoryLimit, 0, kMaxMemoryLimit, &options_.OpsMemoryLimit);
}

}  // namespace vig::ui
