// Every text the main window shows from its code (the window's own labels
// live in its Designer file), in one place.
#pragma once

#include <QString>

#include "widgets/translations.h"

namespace vig::ui::texts {

// The catalogue context of the window's and the sheet's texts.
inline constexpr const char* kContext = "vig::ui::texts";

// A text of this file or of sheet_texts.h as the user reads it.
inline QString Tr(const char* text) {
    return widgets::Translated(kContext, text);
}

// Size labels by resize method, with their mnemonics.
inline constexpr const char* kWidth = QT_TRANSLATE_NOOP("vig::ui::texts", "&Width");
inline constexpr const char* kHeight = QT_TRANSLATE_NOOP("vig::ui::texts", "Hei&ght");
inline constexpr const char* kArea = QT_TRANSLATE_NOOP("vig::ui::texts", "&Area");
inline constexpr const char* kPercent = QT_TRANSLATE_NOOP("vig::ui::texts", "&Percent");
// What the size edits count in.
inline constexpr const char* kUnitPixels = QT_TRANSLATE_NOOP("vig::ui::texts", "px");
inline constexpr const char* kUnitArea = QT_TRANSLATE_NOOP("vig::ui::texts", "pixels");
inline constexpr const char* kUnitPercent = QT_TRANSLATE_NOOP("vig::ui::texts", "%");

// The line each run leaves in the error log pane: the time it ended, the
// files finished of the total, the reports made, and how long it took.
inline constexpr const char* kRunLineDone =
    QT_TRANSLATE_NOOP("vig::ui::texts", "%1  Processed %2 of %3 files; errors: %4; time: %5");
inline constexpr const char* kRunLineCancelled =
    QT_TRANSLATE_NOOP("vig::ui::texts", "%1  Cancelled after %2 of %3 files; errors: %4; time: %5");

// The framework's own validation messages.
inline constexpr const char* kEnterInteger =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Please enter an integer.");
inline constexpr const char* kEnterIntegerBetween =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Please enter an integer between %1 and %2.");

// Folder and file choosers.
inline constexpr const char* kBrowseSource =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Browse for source folder");
inline constexpr const char* kBrowseDestination =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Browse for destination folder");
inline constexpr const char* kFileToLoad = QT_TRANSLATE_NOOP("vig::ui::texts", "File to load");
// The first and the last entry of the picture dialogs' filters; the
// formats between come from the codec table (ui/file_filters).
inline constexpr const char* kImageFilesFilter = QT_TRANSLATE_NOOP("vig::ui::texts", "Image Files");
inline constexpr const char* kAllFilesEntry = QT_TRANSLATE_NOOP("vig::ui::texts", "All Files (*)");

// About box and credits.
inline constexpr const char* kAboutCaption = QT_TRANSLATE_NOOP("vig::ui::texts", "About Vignettor");
inline constexpr const char* kProgramName = "Vignettor";
inline constexpr const char* kVersionLine = QT_TRANSLATE_NOOP("vig::ui::texts", "Version %1");
inline constexpr const char* kAboutLine = QT_TRANSLATE_NOOP(
    "vig::ui::texts", "Thumbnails, galleries and contact sheets from folders of photos.");
inline constexpr const char* kCopyrightLine =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Copyright \u00A9 Ostrel Software");
inline constexpr const char* kCreditsCaption =
    QT_TRANSLATE_NOOP("vig::ui::texts", "Vignettor Credits");
inline constexpr const char* kCreditsText = QT_TRANSLATE_NOOP(
    "vig::ui::texts",
    "<p><b>Vignettor</b> is made by Ostrel Software.</p>"
    "<p>It reads and writes pictures with the help of "
    "<b>libjpeg-turbo</b> (the Independent JPEG Group's software), <b>libpng</b> and "
    "<b>zlib</b>, <b>libtiff</b>, <b>libheif</b> (with <b>libde265</b>, <b>dav1d</b> and "
    "<b>aom</b>) and <b>libwebp</b>; labels on contact sheets are drawn with "
    "<b>FreeType</b> in fonts found by <b>Fontconfig</b>.</p>"
    "<p>The windows are built with the <b>Qt</b> toolkit.</p>"
    "<p>Its pictures were drawn for it.</p>"
    "<p>Thanks to everyone who sent photos that broke it.</p>");

// Command line of the windowed program.
inline constexpr const char* kWindowUsage =
    QT_TRANSLATE_NOOP("vig::ui::texts",
                      "without /h (or with no arguments) vignettor opens its window;\n"
                      "  vignettor --help      this text\n"
                      "  vignettor --version   the program's name and version\n");
inline constexpr const char* kNoDisplay = QT_TRANSLATE_NOOP(
    "vig::ui::texts",
    "vignettor: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
    "run it headless instead: vignettor /h /f INPUT OUTPUT or vignettor /h /d SOURCE OUTPUT "
    "(vignettor --help lists the switches)\n");

}  // namespace vig::ui::texts
