// Page 4, "JPG": the quality of every JPEG written.
#pragma once

#include <memory>

#include "ui/pages/options_page.h"

namespace Ui {
class CJPGPage;
}

namespace vig::ui {

class CJPGPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CJPGPage(BatchOptions& options, QWidget* parent = nullptr);
    ~CJPGPage() override;

    void ShowOptions() override;
    bool LeavePage() override;

    Ui::CJPGPage& ui() { return *ui_; }

private:
    std::unique_ptr<Ui::CJPGPage> ui_;
};

}  // namespace vig::ui
