// The font chooser of the Composite page: face, point size and colour of the
// file names drawn below the thumbnails, with a sample.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "options/enums.h"

namespace Ui {
class CFontChooser;
}

namespace vig::ui {

struct FontChoice {
    QString face;
    int pointSize = 12;
    options::Colour colour = 0;
};

class CFontChooser : public QDialog {
    Q_OBJECT
public:
    CFontChooser(const FontChoice& initial, QWidget* parent = nullptr);
    ~CFontChooser() override;

    FontChoice choice() const;

private:
    void UpdateSample();

    std::unique_ptr<Ui::CFontChooser> ui_;
};

// Asks for a font starting at `choice`; false when cancelled. The dialog
// above unless a test installed its own.
using FontChooserFunction = std::function<bool(QWidget* parent, FontChoice* choice)>;
void SetFontChooser(FontChooserFunction chooser);  // empty restores the dialog
bool ChooseFont(QWidget* parent, FontChoice* choice);

}  // namespace vig::ui
