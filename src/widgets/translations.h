// The user's language in the windows of both programs (see
// platform/translation.h for how the catalogues are chosen).
#pragma once

#include <QString>

namespace vig::widgets {

// `text` of `context` in the user's language; the text itself when no
// catalogue has it.
QString Translated(const char* context, const char* text);

}  // namespace vig::widgets
