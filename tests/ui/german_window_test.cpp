// The program in German: with LANGUAGE=de the catalogues the build made
// (translations/ beside the programs) turn the window, the options sheet,
// the quick dialog and Qt's standard buttons German, and the engine's texts
// with them, while the batch's documents keep their English.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <cstdlib>

#include "engine/engine_texts.h"
#include "engine/report.h"
#include "options/batch_options.h"
#include "platform/install_layout.h"
#include "platform/profile_store.h"
#include "platform/translation.h"
#include "shellext/library/quick_dialog.h"
#include "shellext/library/quick_settings.h"
#include "ui/main_window.h"
#include "ui/options_sheet.h"

namespace vig::test {
namespace {

// A caption without its mnemonic marker.
QString Plain(QString text) {
    return text.remove(u'&');
}

TEST(German, TheWindowsSpeakGerman) {
    options::BatchOptions options;
    options.Reset();
    MemoryProfileStore store;
    ui::MainWindow window(options, store);
    auto* start = window.findChild<QPushButton*>(QStringLiteral("startButton"));
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(Plain(start->text()), QStringLiteral("Starten"));
    EXPECT_EQ(Plain(window.findChild<QPushButton*>(QStringLiteral("advancedButton"))->text()),
              QStringLiteral("Erweitert..."));
    auto* resize = window.findChild<QComboBox*>(QStringLiteral("resizeList"));
    ASSERT_NE(resize, nullptr);
    EXPECT_EQ(resize->itemText(0), QStringLiteral("Keine Größenänderung"));
    // The size label the code sets by resize method.
    resize->setCurrentIndex(resize->findData(options::Percent));
    EXPECT_EQ(Plain(window.findChild<QLabel*>(QStringLiteral("widthLabel"))->text()).trimmed(),
              QStringLiteral("Prozent"));

    ui::CMySheet sheet(options);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Vignettor-Einstellungen"));
    EXPECT_EQ(Plain(sheet.tabs()->tabText(0)), QStringLiteral("Dateien/Ordner"));
    EXPECT_EQ(Plain(sheet.tabs()->tabText(8)), QStringLiteral("Kontaktabzug"));
    // The standard buttons, under the names Qt's own catalogue gives them.
    EXPECT_EQ(sheet.buttons()->button(QDialogButtonBox::Cancel)->text(),
              QStringLiteral("Abbrechen"));
    EXPECT_EQ(sheet.buttons()->button(QDialogButtonBox::Help)->text(), QStringLiteral("Hilfe"));

    shell::CSnapshrinkDlg quick(shell::QuickSettings{});
    EXPECT_EQ(Plain(quick.findChild<QPushButton*>(QStringLiteral("cancelButton"))->text()),
              QStringLiteral("Abbrechen"));
    auto* quickResize = quick.findChild<QComboBox*>(QStringLiteral("resizeCombo"));
    ASSERT_NE(quickResize, nullptr);
    EXPECT_EQ(quickResize->itemText(1), QStringLiteral("Bestmöglich einpassen"));
}

TEST(German, TheEngineShowsGermanAndKeepsItsDocumentsEnglish) {
    EXPECT_EQ(engine::texts::Tr(engine::texts::kReading), "Lesen");
    EXPECT_EQ(engine::texts::ProcessedSummary(3, 4), "3 von 4 Dateien verarbeitet\n");
    // The report the user reads and the one the log keeps.
    EXPECT_EQ(
        engine::ShownReport("a.jpg", image::ErrInvalidJpg, engine::texts::kContextFileProcess),
        "Fehler: Ungültige JPG-Datei\nDatei: a.jpg\nKontext: Datei verarbeiten");
    EXPECT_EQ(
        engine::FormatReport("a.jpg", image::ErrInvalidJpg, engine::texts::kContextFileProcess),
        "Error : Invalid JPG file\nFile : a.jpg\nContext : File Process");
    EXPECT_EQ(image::ErrorText(image::ErrInvalidJpg), "Invalid JPG file");
    // A warning is made in English (a shard's record keeps it) and shown in
    // German.
    const std::string warning = engine::texts::ProfileIgnored(
        "a: b.jpg", engine::texts::ProfileIgnoredReason(image::ProfileOutcome::NotRgb));
    EXPECT_EQ(warning, "a: b.jpg: Colour profile ignored: it is not a profile of RGB colours");
    EXPECT_EQ(engine::texts::ShownWarning(warning),
              "a: b.jpg: Farbprofil ignoriert: Es ist kein Profil für RGB-Farben");
    EXPECT_EQ(engine::texts::ShownWarning("a.png: some other warning"),
              "a.png: some other warning");
    // A text no catalogue has stays as it is.
    EXPECT_EQ(Translate(engine::texts::kContext, "no such text %1"), "no such text %1");
}

}  // namespace
}  // namespace vig::test

int main(int argc, char** argv) {
    // The desktop's language, before anything reads the locale.
    setenv("LANGUAGE", "de", 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!vig::LoadCatalogues({std::string(VIG_BINARY_DIR) + "/translations"})) {
        std::fprintf(stderr, "no German catalogue in %s/translations\n", VIG_BINARY_DIR);
        return 1;
    }
    return RUN_ALL_TESTS();
}
