// Page 9, "Composite": contact sheets of the thumbnails of a folder.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class CCompositePage;
}

namespace vig::ui {

class CCompositePage : public CFormPage<Ui::CCompositePage> {
    Q_OBJECT
public:
    explicit CCompositePage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CCompositePage() override;

    void ShowOptions() override;
    bool LeavePage() override;

private:
    void UpdateRules() override;
    void ShowFont();
    void ChooseLabelFont();
};

}  // namespace vig::ui
