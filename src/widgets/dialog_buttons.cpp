#include "widgets/dialog_buttons.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QIcon>
#include <QPushButton>

namespace vig::widgets {

void PlainDialogButtons(QDialogButtonBox* box) {
    if (box == nullptr) return;
    static const struct {
        QDialogButtonBox::StandardButton button;
        const char* caption;
    } kCaptions[] = {
        {QDialogButtonBox::Ok, QT_TRANSLATE_NOOP("QPlatformTheme", "OK")},
        {QDialogButtonBox::Cancel, QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel")},
        {QDialogButtonBox::Help, QT_TRANSLATE_NOOP("QPlatformTheme", "Help")},
        {QDialogButtonBox::Close, QT_TRANSLATE_NOOP("QPlatformTheme", "Close")},
    };
    // In the user's language, under the names Qt's own catalogue gives them.
    for (const auto& c : kCaptions)
        if (QPushButton* b = box->button(c.button))
            b->setText(QCoreApplication::translate("QPlatformTheme", c.caption));
    for (QAbstractButton* b : box->buttons()) b->setIcon(QIcon());
}

void WidenButtons(QWidget* root) {
    if (root == nullptr) return;
    for (QPushButton* b : root->findChildren<QPushButton*>()) {
        QString caption = b->text();
        caption.remove(QLatin1Char('&'));
        if (caption.size() < 3) continue;  // "?", "..."
        const QFontMetrics metrics = b->fontMetrics();
        const int room = metrics.horizontalAdvance(caption) + 2 * metrics.height();
        if (b->minimumWidth() < room) b->setMinimumWidth(room);
    }
}

}  // namespace vig::widgets
