#include "widgets/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QIcon>
#include <QPushButton>

namespace vig::widgets {

void PlainDialogButtons(QDialogButtonBox* box) {
    if (box == nullptr) return;
    static const struct {
        QDialogButtonBox::StandardButton button;
        const char* caption;
    } kCaptions[] = {
        {QDialogButtonBox::Ok, "OK"},
        {QDialogButtonBox::Cancel, "Cancel"},
        {QDialogButtonBox::Help, "Help"},
        {QDialogButtonBox::Close, "Close"},
    };
    for (const auto& c : kCaptions)
        if (QPushButton* b = box->button(c.button)) b->setText(QString::fromLatin1(c.caption));
    for (QAbstractButton* b : box->buttons()) b->setIcon(QIcon());
}

}  // namespace vig::widgets
