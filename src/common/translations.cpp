#include "common/translations.h"

#include "platform/translation.h"

namespace vig::ui {

QString Translated(const char* context, const char* text) {
    return QString::fromStdString(Translate(context, text));
}

}  // namespace vig::ui
