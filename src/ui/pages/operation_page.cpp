#include "ui/pages/operation_page.h"

#include "ui/sheet_texts.h"
#include "ui/shell_registration.h"
#include "ui_operation_page.h"

namespace vig::ui {

COperationPage::COperationPage(options::BatchOptions& options, QWidget* parent)
    : CFormPage(options, texts::kOperationPageTitle, widgets::HelpTopic::Operation, parent),
      extensionFolder_(ProgramFolder()) {
    ui_->threads->setArrowRange(0, options::kMaxThreads);
    ui_->memoryLimit->setArrowRange(0, options::kMaxMemoryLimit);
    Bind(
        {{Bound::Flag, ui_->silentOperation, &options::BatchOptions::OpsSilentOperation},
         {Bound::Ranged, ui_->threads, &options::BatchOptions::OpsThreads, 0, options::kMaxThreads},
         {Bound::Ranged, ui_->memoryLimit, &options::BatchOptions::OpsMemoryLimit, 0,
          options::kMaxMemoryLimit}});
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
    ShowFields();
}

bool COperationPage::LeavePage() {
    return ReadFields();
}

}  // namespace vig::ui
