// Page 5, "Image": matte, tone curve, sharpening and the reduction kind.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class CImagePage;
}

namespace vig::ui {

class CImagePage : public COptionsPage {
    Q_OBJECT
public:
    explicit CImagePage(BatchOptions& options, QWidget* parent = nullptr);
    ~CImagePage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::CImagePage& ui() { return *ui_; }

private:
    void UpdateRules();
    RadioCodes EnhanceButtons() const;

    std::unique_ptr<Ui::CImagePage> ui_;
};

}  // namespace vig::ui
