// Every window reached with the keyboard: each control with a caption has an
// Alt+letter mnemonic of its own within its page or dialog, the standard
// buttons look alike everywhere, and the focus walks the window top down.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <map>
#include <set>

#include "platform/profile_store.h"
#include "shellext/library/quick_dialog.h"
#include "ui/about_dialog.h"
#include "ui/colour_swatch.h"
#include "ui/font_chooser.h"
#include "ui/html_appearance_dialog.h"
#include "ui/html_text_dialog.h"
#include "ui/main_window.h"
#include "ui/options_sheet.h"
#include "ui/pages/options_page.h"
#include "widgets/busy_window.h"
#include "widgets/picture_button.h"

namespace vig::ui {
namespace {

// The character after a lone '&', lower case; none when there is no mnemonic.
QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// OK, Cancel, Help and Close are pressed with Enter, Escape and F1.
bool KeyedByItsKey(const QString& caption) {
    static const QStringList keyed = {"OK", "Cancel", "Help", "Close"};
    return keyed.contains(caption);
}

bool HasLetter(const QString& text) {
    return text.contains(QRegularExpression(QStringLiteral("[A-Za-z0-9]")));
}

// Checks one page or dialog: the widgets under `roots`, less the named ones
// that go without (radio buttons reached with the arrow keys from the first
// of their group, where the captions run out of letters).
void CheckScope(const std::string& scope, const std::vector<QWidget*>& roots,
                const std::set<QString>& without = {}) {
    std::map<QChar, QString> taken;
    std::set<QString> seen;
    const auto take = [&](const QString& name, const QString& text, bool required) {
        const QChar key = Mnemonic(text);
        seen.insert(name);
        if (without.count(name) != 0) {
            EXPECT_TRUE(key.isNull())
                << scope << ": " << name.toStdString() << " has one after all";
            return;
        }
        if (key.isNull()) {
            EXPECT_FALSE(required) << scope << ": no mnemonic on " << name.toStdString() << " \""
                                   << text.toStdString() << "\"";
            return;
        }
        const auto [at, fresh] = taken.emplace(key, name);
        EXPECT_TRUE(fresh) << scope << ": Alt+" << QString(key).toStdString() << " on both "
                           << at->second.toStdString() << " and " << name.toStdString();
    };
    for (QWidget* root : roots) {
        for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
            if (qobject_cast<widgets::CTransButton*>(b) || qobject_cast<CColourSwatch*>(b)) continue;
            // The standard buttons: no pictures, plain captions.
            EXPECT_TRUE(b->icon().isNull())
                << scope << ": a picture on " << b->text().toStdString();
            if (!HasLetter(b->text())) continue;  // "...", "?"
            if (KeyedByItsKey(b->text())) continue;
            take(b->objectName(), b->text(), true);
        }
        for (QLabel* l : root->findChildren<QLabel*>()) {
            if (l->buddy() != nullptr) {
                take(l->objectName(), l->text(), !l->text().isEmpty());
            } else {
                EXPECT_TRUE(Mnemonic(l->text()).isNull())
                    << scope << ": " << l->objectName().toStdString() << " has no buddy";
            }
        }
        for (QGroupBox* g : root->findChildren<QGroupBox*>())
            take(g->objectName(), g->title(), false);
    }
    for (const QString& name : without)
        EXPECT_EQ(seen.count(name), 1u) << scope << ": no control " << name.toStdString();
}

class KeyboardTest : public ::testing::Test {
protected:
    MemoryProfileStore store;
    options::BatchOptions options;
};

TEST_F(KeyboardTest, EveryCaptionHasAMnemonicOfItsOwnInItsPageOrDialog) {
    // The main window, with the size labels of every resize method.
    options.Reset();
    MainWindow window(options, store);
    auto* resize = window.findChild<QComboBox*>(QStringLiteral("resizeList"));
    ASSERT_NE(resize, nullptr);
    for (int i = 0; i < resize->count(); ++i) {
        resize->setCurrentIndex(i);
        CheckScope("main window, " + resize->currentText().toStdString(), {&window});
    }
    CheckScope("busy window", {window.progressWindow()});

    // Each page of the sheet together with the sheet's own buttons.
    const std::map<int, std::set<QString>> without = {
        {0,
         {"renameAutoNumber", "renamePrefix", "renameSuffix", "caseUpper", "dateAfter",
          "sortAlphabetic", "sortDate"}},
        {7, {"extHtm", "extHtml", "writeTiff", "srcPagesOutput", "targetLabel"}},
    };
    CMySheet sheet(options);
    auto* buttons = sheet.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    ASSERT_EQ(sheet.pageCount(), 9);
    for (int p = 0; p < sheet.pageCount(); ++p) {
        const auto w = without.find(p);
        CheckScope(sheet.page(p)->title().toStdString(), {sheet.page(p), buttons},
                   w == without.end() ? std::set<QString>{} : w->second);
    }

    CHtmlTextDialog header(false, {});
    CheckScope("HTML Header", {&header});
    options::HtmlOptions html;
    CHtmlAppearanceDialog appearance(html);
    CheckScope("HTML Appearance", {&appearance});
    CFontChooser font({QStringLiteral("Arial"), 12, 0});
    CheckScope("font chooser", {&font});
    AboutDialog about;
    CheckScope("About", {&about});

    shell::QuickSettings quick;
    shell::CSnapshrinkDlg dialog(quick);
    auto* quickResize = dialog.findChild<QComboBox*>(QStringLiteral("resizeCombo"));
    ASSERT_NE(quickResize, nullptr);
    for (int i = 0; i < quickResize->count(); ++i) {
        quickResize->setCurrentIndex(i);
        CheckScope("quick dialog, " + quickResize->currentText().toStdString(), {&dialog});
    }
}

// Tab walks the folders top down: the upper Copy button before the lower.
TEST_F(KeyboardTest, TabReachesTheUpperCopyButtonFirst) {
    MainWindow window(options, store);
    QWidget* upper = window.findChild<widgets::CTransButton*>(QStringLiteral("copyToInput"));
    QWidget* lower = window.findChild<widgets::CTransButton*>(QStringLiteral("copyToOutput"));
    ASSERT_TRUE(upper && lower);
    ASSERT_LT(upper->mapTo(&window, QPoint()).y(), lower->mapTo(&window, QPoint()).y());
    window.show();
    QApplication::setActiveWindow(&window);
    window.findChild<QWidget*>(QStringLiteral("outputBrowse"))->setFocus();
    std::vector<QWidget*> order;
    for (int step = 0; step < 2; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(order[0], upper);
    EXPECT_EQ(order[1], lower);
}

}  // namespace
}  // namespace vig::ui
