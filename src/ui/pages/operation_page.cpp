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
    Bind({{Bound::Flag, ui_->silentOperation, &BatchOptions::OpsSilentOperation},
          {Bound::Ranged, ui_->threads, &BatchOptions::OpsThreads, 0, kMaxThreads},
          {Bound::Ranged, ui_->memoryLimit, &BatchOptions::OpsMemoryLimit, 0, kMaxMemoryLimit}});
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
