// The sheet's own controls: the position box, the colour swatch, the
// overlay preview with its eyedropper, and the HTML text dialog's limit.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <set>

#include "image/codec_table.h"
#include "image/cpx_image.h"
#include "sheet_test_support.h"
#include "support/temp_dir.h"
#include "ui/file_filters.h"
#include "ui/html_text_dialog.h"
#include "ui/options_sheet.h"
#include "ui/overlay_preview.h"
#include "ui/pages/overlay_page.h"
#include "ui/position_box.h"
#include "ui_html_text_dialog.h"
#include "ui_overlay_page.h"

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
    BatchOptions options;
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

TEST(ColourSwatch, DoubleClickInsideTheInsetChooses) {
    SheetFakes fakes;
    CColourSwatch swatch;
    swatch.resize(48, 24);
    swatch.setColour(MakeColour(1, 2, 3));
    EXPECT_EQ(swatch.swatchRect(), QRect(3, 3, 42, 18));
    QTest::mouseDClick(&swatch, Qt::LeftButton, {}, QPoint(1, 12));
    QTest::mouseClick(&swatch, Qt::LeftButton, {}, QPoint(24, 12));
    EXPECT_EQ(fakes.colourRequests, 0);
    EXPECT_EQ(swatch.colour(), MakeColour(1, 2, 3));
    QTest::mouseDClick(&swatch, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(fakes.colourRequests, 1);
    EXPECT_EQ(swatch.colour(), fakes.chosenColour);
}

// A 2-colour image: the left half red, the right half blue.
std::string WriteOverlay(const test::TempDir& dir, int width, int height) {
    PixelBlock block;
    EXPECT_TRUE(block.AllocateRgb(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = block.data() + (static_cast<size_t>(y) * width + x) * 3;
            p[0] = x < width / 2 ? 255 : 0;
            p[2] = x < width / 2 ? 0 : 255;
        }
    CPxImage image;
    image.Adopt(std::move(block), width, height);
    const std::string path = dir / "overlay.bmp";
    EXPECT_EQ(image.Save(path, FormatBmp24), ErrNone);
    return path;
}

QImage Expected(const std::string& path, int width, int height, int kind) {
    CPxImage image;
    EXPECT_EQ(image.Load(path), ErrNone);
    EXPECT_EQ(image.Resize(width, height, kind), ErrNone);
    return QImage(image.data(), width, height, width * 3, QImage::Format_RGB888).copy();
}

TEST(OverlayPreview, FitsKeepingTheAspectAndSaysWhenThereIsNoImage) {
    test::TempDir dir;
    const std::string small = WriteOverlay(dir, 8, 4);
    COverlayPreview preview;
    preview.setFrameStyle(QFrame::NoFrame);
    preview.resize(100, 80);

    preview.setImagePath(QString::fromStdString(small));
    ASSERT_TRUE(preview.hasImage());
    EXPECT_EQ(preview.shownImage(), Expected(small, 100, 50, 1));  // enlarged: bilinear
    EXPECT_EQ(preview.shownRect(), QRect(0, 15, 100, 50));

    const std::string large = WriteOverlay(dir, 400, 100);
    preview.setImagePath(QString::fromStdString(large));
    EXPECT_EQ(preview.shownImage(), Expected(large, 100, 25, 2));  // reduced: box average

    // Posterized as a run does it: the colour to keep stays exact.
    CPxImage ramp;
    PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(100, 50));
    for (size_t i = 0; i < block.size(); ++i)
        block.data()[i] = static_cast<uint8_t>(i / 3 % 100 * 2);
    ramp.Adopt(std::move(block), 100, 50);
    ASSERT_EQ(ramp.Save(dir / "ramp.bmp", FormatBmp24), ErrNone);
    preview.resize(100, 50);
    preview.setImagePath(QString::fromStdString(dir / "ramp.bmp"));
    const Colour keep = MakeColour(7, 7, 7);
    preview.setPosterize(true, 3, keep);
    std::set<QRgb> colours;
    const QImage shown = preview.shownImage();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) colours.insert(shown.pixel(x, y));
    EXPECT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours.count(qRgb(7, 7, 7)), 1u);
    preview.setPosterize(false, 3, keep);
    EXPECT_EQ(preview.shownImage().pixel(99, 0), qRgb(198, 198, 198));

    for (const std::string& bad : {std::string(), dir / "missing.bmp", dir.path()}) {
        preview.setImagePath(QString::fromStdString(bad));
        EXPECT_FALSE(preview.hasImage()) << bad;
        EXPECT_TRUE(preview.shownImage().isNull());
    }
}

TEST(OverlayPreview, PicksTheTransparentColourWhileTheButtonIsHeld) {
    test::TempDir dir;
    const std::string path = WriteOverlay(dir, 64, 32);
    BatchOptions options;
    options.OverlayOverlay = 1;
    options.OverlayPath = path;
    CMySheet sheet(options);
    sheet.showPage(5);
    sheet.show();
    auto& ui = sheet.overlayPage()->ui();
    COverlayPreview* preview = ui.preview;
    ASSERT_TRUE(preview->hasImage());
    EXPECT_TRUE(ui.previewStatus->text().isEmpty());
    EXPECT_EQ(preview->cursor().shape(), Qt::BitmapCursor);

    const QRect r = preview->shownRect();
    const QPoint left(r.left() + 2, r.center().y()), right(r.right() - 2, r.center().y());
    QTest::mousePress(preview, Qt::LeftButton, {}, left);
    EXPECT_EQ(ui.transColour->colour(), MakeColour(255, 0, 0));
    QMouseEvent move(QEvent::MouseMove, right, preview->mapToGlobal(right), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(preview, &move);
    EXPECT_EQ(ui.transColour->colour(), MakeColour(0, 0, 255));
    QTest::mouseRelease(preview, Qt::LeftButton, {}, right);
    QMouseEvent after(QEvent::MouseMove, left, preview->mapToGlobal(left), Qt::NoButton,
                      Qt::NoButton, {});
    QApplication::sendEvent(preview, &after);
    EXPECT_EQ(ui.transColour->colour(), MakeColour(0, 0, 255));

    ui.path->setText(QString::fromStdString(dir / "none.png"));
    emit ui.path->editingFinished();
    EXPECT_EQ(ui.previewStatus->text(), "Invalid Image");
    EXPECT_NE(preview->cursor().shape(), Qt::BitmapCursor);
    sheet.accept();
    EXPECT_EQ(options.OverlayTransColor, MakeColour(0, 0, 255));
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
    BatchOptions options;
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
TEST(PictureFileFilters, ListEveryFormatOfTheTableInBothDialogs) {
    EXPECT_EQ(PictureFileFilters(PatternCase::Upper, InputNone).join(";;").toStdString(),
              "Image Files (*.JPG *.BMP *.PNG *.GIF *.TIF *.PCX *.HEIC *.HEIF *.HIF *.AVIF "
              "*.WEBP);;JPG (*.JPG);;BMP (*.BMP);;PNG (*.PNG);;GIF (*.GIF);;TIFF (*.TIF);;"
              "PCX (*.PCX);;HEIC/HEIF (*.HEIC *.HEIF *.HIF);;AVIF (*.AVIF);;WebP (*.WEBP);;"
              "All Files (*)");
    EXPECT_EQ(PictureFileFilters(PatternCase::Both, InputGif).join(";;").toStdString(),
              "Image Files (*.jpg *.bmp *.png *.tif *.pcx *.heic *.heif *.hif *.avif *.webp "
              "*.JPG *.BMP *.PNG *.TIF *.PCX *.HEIC *.HEIF *.HIF *.AVIF *.WEBP);;"
              "JPG (*.jpg *.JPG);;BMP (*.bmp *.BMP);;PNG (*.png *.PNG);;TIFF (*.tif *.TIF);;"
              "PCX (*.pcx *.PCX);;HEIC/HEIF (*.heic *.heif *.hif *.HEIC *.HEIF *.HIF);;"
              "AVIF (*.avif *.AVIF);;WebP (*.webp *.WEBP);;All Files (*)");
}

}  // namespace
}  // namespace vig::ui
