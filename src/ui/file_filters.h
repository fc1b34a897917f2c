// The name filters of the file dialogs that pick pictures, made from the
// codec table's input formats: "Image Files (every pattern)", one entry per
// format ("JPG (*.JPG)", "HEIC/HEIF (*.HEIC *.HEIF *.HIF)"), "All Files (*)".
#pragma once

#include <QStringList>

namespace vig::ui {

enum class PatternCase {
    Upper,  // "*.JPG": for Qt's own dialog, which ignores letter case
    Both,   // "*.jpg ... *.JPG": for dialogs that tell letter cases apart
};

// The filters in the dialog's order; an input format code in `leaveOut` is
// not listed (InputNone: every format is).
QStringList PictureFileFilters(PatternCase patternCase, int leaveOut);

}  // namespace vig::ui
