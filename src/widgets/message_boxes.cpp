#include "widgets/message_boxes.h"

#include <QDialogButtonBox>
#include <QMessageBox>

#include "widgets/dialog_buttons.h"

namespace vig::widgets {
namespace {

class RealMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer Show(QWidget* parent, const QString& caption, const QString& text,
                       MessageIcon icon, MessageButtons buttons) override {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        switch (icon) {
            case MessageIcon::Information:
                box.setIcon(QMessageBox::Information);
                break;
            case MessageIcon::Warning:
                box.setIcon(QMessageBox::Warning);
                break;
            case MessageIcon::Critical:
                box.setIcon(QMessageBox::Critical);
                break;
            case MessageIcon::Question:
                box.setIcon(QMessageBox::Question);
                break;
            case MessageIcon::None:
                break;
        }
        QMessageBox::StandardButtons set;
        QMessageBox::StandardButton escape = QMessageBox::Ok;
        switch (buttons) {
            case MessageButtons::Ok:
                set = QMessageBox::Ok;
                break;
            case MessageButtons::OkCancel:
                set = QMessageBox::Ok | QMessageBox::Cancel;
                escape = QMessageBox::Cancel;
                break;
            case MessageButtons::YesNo:
                set = QMessageBox::Yes | QMessageBox::No;
                escape = QMessageBox::No;
                break;
            case MessageButtons::YesNoCancel:
                set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
                escape = QMessageBox::Cancel;
                break;
            case MessageButtons::RetryCancel:
                set = QMessageBox::Retry | QMessageBox::Cancel;
                escape = QMessageBox::Cancel;
                break;
        }
        box.setStandardButtons(set);
        box.setEscapeButton(escape);
        PlainDialogButtons(box.findChild<QDialogButtonBox*>());
        switch (box.exec()) {
            case QMessageBox::Ok:
                return MessageAnswer::Ok;
            case QMessageBox::Yes:
                return MessageAnswer::Yes;
            case QMessageBox::No:
                return MessageAnswer::No;
            case QMessageBox::Retry:
                return MessageAnswer::Retry;
            default:
                return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
        }
    }
};

MessageBoxes* gInstalled = nullptr;

}  // namespace

MessageBoxes& Messages() {
    static RealMessageBoxes real;
    return gInstalled != nullptr ? *gInstalled : real;
}

void SetMessages(MessageBoxes* boxes) {
    gInstalled = boxes;
}

}  // namespace vig::widgets
