// The way texts reach the user's language without the layers above knowing
// Qt. Texts are marked where they are defined with
// QT_TRANSLATE_NOOP(context, text), which Qt's lupdate finds, and looked up
// where they are shown with Translate(context, text). The programs read the
// catalogues at start-up (LoadCatalogues); without them, and for a text the
// catalogue lacks, the English text is used.
//
// Only what the user reads is translated: pages, logs and sheet labels the
// batch writes keep their English texts, since stored files and the programs
// that read them rely on them.
#pragma once

#include <string>
#include <vector>

// Qt's marker, for headers that do not include Qt (the same definition).
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace vig {

// Reads the catalogues once (later calls only install them, see below), for
// the first of the desktop's languages (LANGUAGE, then LC_ALL, LC_MESSAGES,
// LANG, as QLocale reports them) that has one, up to the first English one:
// Vignettor's own (vignettor_<language>.qm, from the first of `folders` that
// has it; "de_AT" also finds "de") and, beside it, Qt's (qtbase_<language>.qm,
// the standard buttons and dialogs). Makes them the look-up of Translate.
// When a Qt application object exists, installs them into it, so that the
// Designer forms and Qt's own dialogs use them: call again once it is made.
// True when a catalogue of Vignettor's is in use.
bool LoadCatalogues(const std::vector<std::string>& folders);

// Looks a text up: the English text when there is no translation; never
// null.
using TranslateFunction = std::string (*)(const char* context, const char* text);

// Installs the look-up (nullptr: none, English throughout); LoadCatalogues
// installs the catalogues' own.
void SetTranslateFunction(TranslateFunction function);

// `text` in the user's language.
std::string Translate(const char* context, const char* text);

// `pattern` with each of %1 to %9 replaced by the argument of that number
// (a number past the arguments, or "%" before anything else, stays as it
// is), in one pass: an argument's own "%2" is not replaced again.
std::string FillIn(const std::string& pattern, const std::vector<std::string>& args);

}  // namespace vig
