#include "ui/accessible_controls.h"

#include <QAccessibleWidget>

#include "ui/overlay_preview.h"
#include "ui/position_box.h"

namespace vig::ui {
namespace {

class PositionBoxAccessible final : public QAccessibleWidget {
public:
    explicit PositionBoxAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::List) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (className == QLatin1String(CPositionBox::staticMetaObject.className()))
        return new PositionBoxAccessible(widget);
    if (className == QLatin1String(COverlayPreview::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    return nullptr;
}

}  // namespace

void InstallAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

}  // namespace vig::ui
