// Page 2, "Operation": silent operation, the files a run works on at a time,
// "Reset all options" (done when the sheet ends with OK) and enabling or
// disabling the context-menu extension.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class COperationPage;
}

namespace vig::ui {

class COperationPage : public CFormPage<Ui::COperationPage> {
    Q_OBJECT
public:
    explicit COperationPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~COperationPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    bool resetRequested() const { return resetRequested_; }
    // Where the extension library is looked for: the program's folder
    // unless set.
    void setExtensionFolder(const QString& folder) { extensionFolder_ = folder; }

private:
    bool resetRequested_ = false;
    QString extensionFolder_;
};

}  // namespace vig::ui
