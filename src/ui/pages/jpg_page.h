// Page 4, "JPG": the quality of every JPEG written and draft decoding of
// JPEG photos.
#pragma once

#include "ui/pages/options_page.h"

namespace Ui {
class CJPGPage;
}

namespace vig::ui {

class CJPGPage : public CFormPage<Ui::CJPGPage> {
    Q_OBJECT
public:
    explicit CJPGPage(options::BatchOptions& options, QWidget* parent = nullptr);
    ~CJPGPage() override;

    void ShowOptions() override;
    bool LeavePage() override;
};

}  // namespace vig::ui
