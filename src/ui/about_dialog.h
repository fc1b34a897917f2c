// The About box: icon, name and version, "Credits..." and a button that
// opens the manual's home page.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class AboutDialog;
}

namespace vig::ui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

public slots:
    void OnCredits();

private:
    std::unique_ptr<Ui::AboutDialog> ui_;
};

}  // namespace vig::ui
