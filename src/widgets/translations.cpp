#include "widgets/translations.h"

#include "platform/translation.h"

namespace vig::widgets {

QString Translated(const char* context, const char* text) {
    return QString::fromStdString(Translate(context, text));
}

}  // namespace vig::widgets
