// The sheet's own controls: the position box, the colour swatch, the HTML
// text dialog's limit and the table that binds controls to fields (the
// overlay preview has tests of its own).
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QtMath>

#include "image/codec_table.h"
#include "image/cpx_image.h"
#include "sheet_test_support.h"
#include "support/temp_dir.h"
#include "ui/colour_swatch.h"
#include "ui/file_filters.h"
#include "ui/form_helpers.h"
#include "ui/html_text_dialog.h"
#include "ui/options_sheet.h"
#include "ui/pages/overlay_page.h"
#include "ui/position_box.h"
#include "ui/up_down_edit.h"
#include "ui_html_text_dialog.h"
#include "ui_overlay_page.h"
#include "widgets/path_label.h"
#include "widgets/picture_button.h"

namespace vig::ui {
namespace {

using test::SheetFakes;

TEST(PositionBox, CellsAndModeSwitchesMapBothWays) {
    const int grid[9] = {5, 1, 6, 3, 9, 4, 7, 2, 8};
    const int edges[9] = {-1, 10, -1, 12, -1, 13, -1, 11, -1};
    for (int cell = 0; cell < 9; ++cell) {
        EXPECT_EQ(PositionForCell(PositionMode::Grid, cell), grid[cell]);
        EXPECT_EQ(PositionForCell(PositionMode::Edges, cell), edges[cell]);
        EXPECT_EQ(CellForPosition(PositionMode::Grid, grid[cell]), cell);
        if (edges[cell] > 0) {
            EXPECT_EQ(CellForPosition(PositionMode::Edges, edges[cell]), cell);
        }
    }
    EXPECT_EQ(PositionForCell(PositionMode::Edges, -1), 0);
    EXPECT_EQ(PositionForCell(PositionMode::Grid, -1), -1);
    EXPECT_EQ(CellForPosition(PositionMode::Grid, 0), -1);
    EXPECT_EQ(CellForPosition(PositionMode::Edges, 0), -1);

    // Position before the switch -> after switching to "3x3" / to "Edges".
    const int toGrid[14] = {9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4};
    const int toEdges[14] = {12, 10, 11, 12, 13, 12, 13, 12, 13, 10, 10, 11, 12, 13};
    for (int p = 0; p < 14; ++p) {
        EXPECT_EQ(PositionForMode(PositionMode::Grid, p), toGrid[p]) << p;
        EXPECT_EQ(PositionForMode(PositionMode::Edges, p), toEdges[p]) << p;
        EXPECT_EQ(ModeForPosition(p), p == 0 || p >= 10 ? PositionMode::Edges : PositionMode::Grid);
    }
}

TEST(PositionBox, ClicksAndRadiosOnTheOverlayPage) {
    options::BatchOptions options;
    options.OverlayOverlay = 1;
    options.OverlayPos = 11;
    CMySheet sheet(options);
    ASSERT_TRUE(sheet.showPage(5));
    auto& ui = sheet.overlayPage()->ui();
    CPositionBox* box = ui.positionBox;
    EXPECT_TRUE(ui.positionEdges->isChecked());
    EXPECT_EQ(box->position(), 11);

    const auto click = [box](QPoint at) { QTest::mouseClick(box, Qt::LeftButton, {}, at); };
    click(box->CellRect(0).center());  // a corner counts for nothing in "Edges"
    EXPECT_EQ(box->position(), 11);
    click(box->CellRect(4).center());
    EXPECT_EQ(box->position(), 11);
    click(box->CellRect(5).center());
    EXPECT_EQ(box->position(), 13);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::List);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Overlay Position");
    EXPECT_EQ(accessible->text(QAccessible::Value), "Right Edge");
    click(QPoint(0, 1));  // the frame, outside every cell
    EXPECT_EQ(box->position(), 0);

    ui.positionGrid->click();
    EXPECT_EQ(box->position(), 9);
    click(box->CellRect(6).center());
    EXPECT_EQ(box->position(), 7);
    ui.positionEdges->click();
    EXPECT_EQ(box->position(), 12);

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->position(), 10);
    ASSERT_TRUE(sheet.showPage(0));
    sheet.accept();
    EXPECT_EQ(options.OverlayPos, 10);
}

// A click on the frame does nothing; a click inside the painted interior and
// Space open the chooser, once each.
TEST(ColourSwatch, ClickInsideTheInsetOrSpaceChooses) {
    SheetFakes fakes;
    CColourSwatch swatch;
    swatch.resize(48, 24);
    swatch.setColour(options::MakeColour(1, 2, 3));
    EXPECT_EQ(swatch.swatchRect(), QRect(3, 3, 42, 18));
    QTest::mouseClick(&swatch, Qt::LeftButton, {}, QPoint(1, 12));
    QTest::mouseClick(&swatch, Qt::LeftButton, {}, QPoint(46, 22));
    EXPECT_EQ(fakes.colourRequests, 0);
    EXPECT_EQ(swatch.colour(), options::MakeColour(1, 2, 3));
    QTest::mouseClick(&swatch, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(fakes.colourRequests, 1);
    EXPECT_EQ(swatch.colour(), fakes.chosenColour);
    swatch.setEnabled(false);
    QTest::mouseClick(&swatch, Qt::LeftButton, {}, QPoint(24, 12));
    EXPECT_EQ(fakes.colourRequests, 1);
    swatch.setEnabled(true);
    swatch.setColour(options::MakeColour(1, 2, 3));
    QTest::keyClick(&swatch, Qt::Key_Space);
    EXPECT_EQ(fakes.colourRequests, 2);
    EXPECT_EQ(swatch.colour(), fakes.chosenColour);
}

TEST(HtmlTextDialog, TextOrFileAndTheLengthLimit) {
    CHtmlTextDialog dialog(true, {std::string(300, 'a'), "/inc/f.html", 0});
    auto& ui = dialog.ui();
    EXPECT_EQ(dialog.windowTitle(), "HTML Footer");
    EXPECT_EQ(ui.text->toPlainText().size(), 300);  // a longer stored text stays whole
    EXPECT_TRUE(ui.text->isEnabled());
    EXPECT_FALSE(ui.path->isEnabled() || ui.browse->isEnabled());
    ui.useFile->click();
    EXPECT_FALSE(ui.text->isEnabled());
    EXPECT_TRUE(ui.path->isEnabled() && ui.browse->isEnabled());
    EXPECT_EQ(dialog.include().useFile, 1);

    ui.text->setPlainText(QString(250, 'b'));
    ui.text->moveCursor(QTextCursor::End);
    ui.text->insertPlainText(QStringLiteral("0123456789"));
    EXPECT_EQ(ui.text->toPlainText(), QString(250, 'b') + "01234");
}

// With the keyboard alone: Ctrl+Tab turns the pages, and Tab from the tabs
// goes into the page shown before it reaches the buttons.
TEST(OptionsSheet, KeyboardWalksTheTabsAndThePageShown) {
    options::BatchOptions options;
    CMySheet sheet(options);
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    QWidget* tabBar = sheet.tabs()->tabBar();
    tabBar->setFocus();
    for (int page = 0; page < sheet.pageCount(); ++page) {
        ASSERT_EQ(sheet.tabs()->currentIndex(), page);
        QTest::keyClick(tabBar, Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(sheet.page(page)->isAncestorOf(focus))
            << page << " " << focus->objectName().toStdString();
        tabBar->setFocus();
        QTest::keyClick(tabBar, Qt::Key_Tab, Qt::ControlModifier);
    }
}

}  // namespace
}  // namespace vig::ui

namespace vig::ui {
namespace {

// The picture dialogs list the codec table's formats: the six of old in
// their old order and spelling, then HEIC/HEIF, AVIF and WebP.
// Every kind of row shows its field and takes it back; a row that refuses
// (a number out of range, a text that is no number) leaves the whole record
// as it was, and a corrected number comes back within its range.
TEST(FormBindings, EveryKindRoundTripsAndARefusalChangesNothing) {
    struct Record {
        int flag = 1, ranged = 5, corrected = 3, number = -7, level = 6, choice = 2;
        double real = 2.2;
        std::string text = "line", plain = "one\ntwo";
        options::Colour colour = options::MakeColour(1, 2, 3);
    };
    SheetFakes fakes;
    QWidget form;
    auto* flag = new QCheckBox(&form);
    auto* ranged = new CUpDownEdit(&form);
    auto* corrected = new CUpDownEdit(&form);
    auto* number = new CUpDownEdit(&form);
    auto* level = new QSlider(&form);
    auto* real = new QLineEdit(&form);
    auto* text = new QLineEdit(&form);
    auto* plain = new QPlainTextEdit(&form);
    auto* colour = new CColourSwatch(&form);
    auto* one = new QRadioButton(&form);
    auto* two = new QRadioButton(&form);
    for (CUpDownEdit* edit : {ranged, corrected, number}) edit->setRange(-100, 100);
    const FormBindings<Record> bindings = {
        {Bound::Flag, flag, &Record::flag},
        {Bound::Ranged, ranged, &Record::ranged, 1, 10},
        {Bound::Corrected, corrected, &Record::corrected, 1, 4},
        {Bound::Number, number, &Record::number},
        {Bound::Number, level, &Record::level},
        {Bound::Choice, nullptr, &Record::choice, 0, 0, {{one, 1}, {two, 2}}},
        {Bound::Real, real, &Record::real},
        {Bound::Text, text, &Record::text},
        {Bound::PlainText, plain, &Record::plain},
        {Bound::Colour, colour, &Record::colour}};

    Record shown;
    bindings.Show(shown);
    Record back;
    back.flag = 0, back.ranged = 0, back.corrected = 0, back.number = 0, back.level = 0,
    back.choice = 0;
    back.real = 0, back.text.clear(), back.plain.clear(), back.colour = 0;
    ASSERT_TRUE(bindings.Read(&form, back));
    EXPECT_EQ(back.flag, 1);
    EXPECT_EQ(back.ranged, 5);
    EXPECT_EQ(back.corrected, 3);
    EXPECT_EQ(back.number, -7);
    EXPECT_EQ(back.level, 6);
    EXPECT_EQ(back.choice, 2);
    EXPECT_EQ(back.real, 2.2);
    EXPECT_EQ(back.text, "line");
    EXPECT_EQ(back.plain, "one\ntwo");
    EXPECT_EQ(back.colour, shown.colour);
    EXPECT_TRUE(fakes.shown.empty());

    corrected->setValue(9);
    flag->setChecked(false);
    ranged->setValue(11);
    ASSERT_FALSE(bindings.Read(&form, back));
    EXPECT_EQ(back.flag, 1) << "a refusal takes nothing back";
    ranged->setValue(10);
    real->setText("two");
    ASSERT_FALSE(bindings.Read(&form, back));
    EXPECT_EQ(back.ranged, 5);
    EXPECT_EQ(fakes.shown.size(), 2u);
    real->setText("0.5");
    ASSERT_TRUE(bindings.Read(&form, back));
    EXPECT_EQ(back.flag, 0);
    EXPECT_EQ(back.ranged, 10);
    EXPECT_EQ(back.corrected, 4);
    EXPECT_EQ(corrected->value(), 4);
    EXPECT_EQ(back.real, 0.5);
}

TEST(PictureFileFilters, ListEveryFormatOfTheTableInBothDialogs) {
    EXPECT_EQ(PictureFileFilters(PatternCase::Upper, image::InputNone).join(";;").toStdString(),
              "Image Files (*.JPG *.BMP *.PNG *.GIF *.TIF *.PCX *.HEIC *.HEIF *.HIF *.AVIF "
              "*.WEBP);;JPG (*.JPG);;BMP (*.BMP);;PNG (*.PNG);;GIF (*.GIF);;TIFF (*.TIF);;"
              "PCX (*.PCX);;HEIC/HEIF (*.HEIC *.HEIF *.HIF);;AVIF (*.AVIF);;WebP (*.WEBP);;"
              "All Files (*)");
    EXPECT_EQ(PictureFileFilters(PatternCase::Both, image::InputGif).join(";;").toStdString(),
              "Image Files (*.jpg *.bmp *.png *.tif *.pcx *.heic *.heif *.hif *.avif *.webp "
              "*.JPG *.BMP *.PNG *.TIF *.PCX *.HEIC *.HEIF *.HIF *.AVIF *.WEBP);;"
              "JPG (*.jpg *.JPG);;BMP (*.bmp *.BMP);;PNG (*.png *.PNG);;TIFF (*.tif *.TIF);;"
              "PCX (*.pcx *.PCX);;HEIC/HEIF (*.heic *.heif *.hif *.HEIC *.HEIF *.HIF);;"
              "AVIF (*.avif *.AVIF);;WebP (*.webp *.WEBP);;All Files (*)");
}

}  // namespace
}  // namespace vig::ui

namespace vig::ui {
namespace {

// `w` drawn at a device pixel ratio, as a screen at that scale shows it.
QImage Render(QWidget& w, qreal ratio) {
    QImage image(QSize(qRound(w.width() * ratio), qRound(w.height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    w.render(&image);
    return image;
}

QPalette Scheme(bool dark) {
    QPalette p(dark ? QColor(0x40, 0x40, 0x44) : QColor(0xef, 0xef, 0xef),
               dark ? QColor(0x35, 0x35, 0x38) : QColor(0xef, 0xef, 0xef));
    p.setColor(QPalette::WindowText, dark ? QColor(0xe8, 0xe8, 0xea) : QColor(Qt::black));
    p.setColor(QPalette::ButtonText, p.color(QPalette::WindowText));
    p.setColor(QPalette::Light, dark ? QColor(0x5a, 0x5a, 0x60) : QColor(Qt::white));
    p.setColor(QPalette::Dark, dark ? QColor(0x1e, 0x1e, 0x21) : QColor(0x9f, 0x9f, 0x9f));
    return p;
}

// Whether some pixel of row y between x0 and x1 (device pixels) is `c`.
bool RowHas(const QImage& image, int y, int x0, int x1, QColor c) {
    for (int x = std::max(x0, 0); x <= std::min(x1, image.width() - 1); ++x)
        if (image.pixelColor(x, y).rgb() == c.rgb()) return true;
    return false;
}

// At 100%, 150% and 200%, in a light and a dark scheme: the frames keep all
// four edges, the position box's frame and grid contrast with the window
// (black and grey-blue on a light one, the text's colours on a dark one)
// while its selected cell stays yellow, and the picture buttons' face is
// the palette's button colour.
TEST(CustomDrawing, FollowsThePaletteAtEveryScale) {
    for (const bool dark : {false, true}) {
        const QPalette palette = Scheme(dark);
        for (const qreal ratio : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(std::string(dark ? "dark " : "light ") + std::to_string(ratio));
            CPositionBox box;
            box.setPalette(palette);
            box.resize(61, 61);
            box.setPosition(9);  // the middle cell
            const QImage b = Render(box, ratio);
            const QColor frame = dark ? palette.color(QPalette::WindowText) : QColor(Qt::black);
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(b.width() - 1, 0), QPoint(0, b.height() - 1),
                  QPoint(b.width() - 1, b.height() - 1)})
                EXPECT_EQ(b.pixelColor(corner).rgb(), frame.rgb())
                    << corner.x() << "," << corner.y();
            const QPoint middle = box.CellRect(4).center() * ratio;
            EXPECT_EQ(b.pixelColor(middle).rgb(), QColor(250, 250, 0).rgb());
            const QRect first = box.CellRect(0), second = box.CellRect(1);
            const int y = qRound(first.center().y() * ratio);
            const int x0 = qFloor(first.right() * ratio), x1 = qCeil(second.left() * ratio);
            if (!dark) {
                EXPECT_TRUE(RowHas(b, y, x0, x1, QColor(80, 80, 100)))
                    << "the grid line between two cells";
            } else {
                const QColor window = palette.color(QPalette::Window);
                bool lighter = false;
                for (int x = x0; x <= x1; ++x)
                    lighter = lighter || b.pixelColor(x, y).lightness() > window.lightness() + 60;
                EXPECT_TRUE(lighter) << "a grid line that stands out from the dark window";
            }

            widgets::CPathStatic line;
            line.setPalette(palette);
            line.setFrameShape(QFrame::StyledPanel);
            line.setFrameShadow(QFrame::Sunken);
            line.resize(101, 21);
            const QImage l = Render(line, ratio);
            EXPECT_EQ(l.pixelColor(0, 0).rgb(), palette.color(QPalette::Dark).rgb());
            const QColor lit = palette.color(dark ? QPalette::Light : QPalette::Mid);
            EXPECT_EQ(l.pixelColor(l.width() - 1, l.height() - 1).rgb(), lit.rgb());
            EXPECT_EQ(l.pixelColor(l.width() - 1, l.height() / 2).rgb(), lit.rgb());

            CColourSwatch swatch;
            swatch.setPalette(palette);
            swatch.resize(47, 23);
            const QImage s = Render(swatch, ratio);
            EXPECT_EQ(s.pixelColor(s.width() - 1, s.height() - 1).rgb(),
                      palette.color(QPalette::WindowText).rgb());
        }
        // The picture button takes the new scheme's face when it changes.
        widgets::CTransButton button;
        button.setText(QStringLiteral("DEST_TO_SRC"));
        ASSERT_TRUE(button.Attach());
        button.setPalette(palette);
        const QImage p = Render(button, 2.0);
        EXPECT_EQ(p.pixelColor(7, 11).rgb(), palette.color(QPalette::Button).rgb())
            << "the face of the tile, beside the pictures on it";
    }
}

}  // namespace
}  // namespace vig::ui
