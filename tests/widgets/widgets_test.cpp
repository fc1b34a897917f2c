// The shared widgets: picture button, path line and busy window.
#include <gtest/gtest.h>
#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "support/temp_dir.h"
#include "widgets/busy_window.h"
#include "widgets/path_label.h"
#include "widgets/picture_button.h"
#include "widgets/pictures.h"

namespace vig::widgets {
namespace {

using Picture = CTransButton::Picture;

TEST(PictureButton, ChoosesItsPictureByStateAndByWhatPicturesExist) {
    const struct {
        bool blink, down, focus, disabled;  // which pictures exist beside up
        bool pressed, focused, enabled, blinkOn;
        Picture expected;
    } rows[] = {
        {true, true, true, true, false, false, true, false, Picture::Up},
        {true, true, true, true, true, true, true, false, Picture::Down},
        {true, false, true, true, true, true, true, false, Picture::Focus},
        {true, false, false, true, true, true, true, false, Picture::Up},
        {true, true, true, true, false, true, true, false, Picture::Focus},
        {true, true, true, true, false, false, false, false, Picture::Disabled},
        {true, true, true, false, false, false, false, false, Picture::Up},
        // A focused disabled button shows its focus picture.
        {true, true, true, true, false, true, false, false, Picture::Focus},
        // Blinking wins over every state of an enabled button...
        {true, true, true, true, true, true, true, true, Picture::Blink},
        {true, true, true, true, false, false, true, true, Picture::Blink},
        // ...but not over a disabled one, and not without a blink picture.
        {true, true, true, true, false, false, false, true, Picture::Disabled},
        {false, true, true, true, false, false, true, true, Picture::Up},
        {false, true, true, true, true, false, true, true, Picture::Down},
    };
    for (const auto& r : rows) {
        CTransButton button;
        button.LoadBitmaps("DROP_LOGU", r.blink ? "DROP_LOGB" : "", r.down ? "DROP_LOGD" : "",
                           r.focus ? "DROP_LOGF" : "", r.disabled ? "DROP_LOGX" : "");
        button.SetBlinking(r.blinkOn);
        EXPECT_EQ(button.ChoosePicture(r.pressed, r.focused, r.enabled), r.expected)
            << r.blink << r.down << r.focus << r.disabled << " " << r.pressed << r.focused
            << r.enabled << r.blinkOn;
    }
}

TEST(PictureButton, AttachesByCaptionAndTakesTheSizeOfItsUpPicture) {
    CTransButton log;
    log.setText("DROP_LOG");
    ASSERT_TRUE(log.Attach());
    for (Picture p :
         {Picture::Up, Picture::Blink, Picture::Down, Picture::Focus, Picture::Disabled})
        EXPECT_TRUE(log.HasPicture(p));
    EXPECT_EQ(log.size(), LoadPicture("DROP_LOGU").size());

    CTransButton copy;
    copy.setText("DEST_TO_SRC");
    ASSERT_TRUE(copy.Attach());
    EXPECT_FALSE(copy.HasPicture(Picture::Blink));
    EXPECT_FALSE(copy.LoadBitmaps("SRC_TO_DESTU", "SRC_TO_DESTB", "", "", ""))
        << "a named picture that does not exist fails the load";
    EXPECT_TRUE(copy.HasPicture(Picture::Up)) << "the others are kept";

    CTransButton none;
    none.setText("NO_SUCH_BUTTON");
    EXPECT_FALSE(none.Attach());
}

TEST(PictureButton, BlinksOnATimerAndStopsInItsOffPhase) {
    CTransButton button;
    button.setText("DROP_LOG");
    ASSERT_TRUE(button.Attach());
    button.SetBlinking(true);
    EXPECT_TRUE(button.blinkPhase());
    EXPECT_EQ(button.CurrentPicture(), Picture::Blink);
    QTest::qWait(CTransButton::kBlinkMilliseconds + 150);
    EXPECT_FALSE(button.blinkPhase()) << "one tick inverts the phase";
    EXPECT_EQ(button.CurrentPicture(), Picture::Up);
    button.SetBlinking(false);
    EXPECT_FALSE(button.blinking());
    EXPECT_FALSE(button.blinkPhase());
    QTest::qWait(CTransButton::kBlinkMilliseconds + 150);
    EXPECT_FALSE(button.blinkPhase());
}

TEST(PictureButton, YellowPixelsShowTheWindowBackground) {
    test::TempDir dir;
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(QColor(255, 255, 0));
    for (int y = 0; y < 4; ++y) {
        picture.setPixelColor(3, y, QColor(200, 0, 0));
        picture.setPixelColor(4, y, QColor(254, 255, 0));  // near yellow stays
        picture.setPixelColor(5, y, QColor(255, 255, 1));
    }
    ASSERT_TRUE(picture.save(QString::fromStdString(dir / "KEYTESTU.png")));
    QDir::addSearchPath("pictures", QString::fromStdString(dir.path()));

    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(10, 90, 160));
    window.setPalette(palette);
    CTransButton button(&window);
    button.setText("KEYTEST");
    ASSERT_TRUE(button.Attach());
    EXPECT_EQ(button.size(), QSize(6, 4));
    const QImage shown = button.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 90, 160));
    EXPECT_EQ(shown.pixelColor(2, 3), QColor(10, 90, 160));
    EXPECT_EQ(shown.pixelColor(3, 1), QColor(200, 0, 0));
    EXPECT_EQ(shown.pixelColor(4, 1), QColor(254, 255, 0));
    EXPECT_EQ(shown.pixelColor(5, 1), QColor(255, 255, 1));
    EXPECT_EQ(QImage(QString::fromStdString(dir / "KEYTESTU.png")).pixelColor(0, 0),
              QColor(255, 255, 0))
        << "the picture itself is left unchanged";
    QDir::setSearchPaths("pictures", {":/pictures"});
}

TEST(PictureButton, DrawnPicturesHoldTheKeyColourWhereTheyAreEmpty) {
    const QImage up = LoadPicture("SRC_TO_DESTU");
    ASSERT_FALSE(up.isNull());
    EXPECT_EQ(up.pixel(0, 0), kPictureKeyColour) << "a rounded corner is empty";
    const QImage keyed = KeyOut(up, kPictureKeyColour);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(up.width() / 2, up.height() / 2)), 255);
}

TEST(PathLine, ShortensWithThreeDotsToFitItsWidth) {
    const QFont font;
    const QFontMetrics m(font);
    const QString path = "/home/someone/Pictures/holidays/2023/beach/DSC_0042.jpg";
    const int full = m.horizontalAdvance(path);
    using E = CPathStatic::Ellipsis;
    EXPECT_EQ(CPathStatic::Shorten(path, m, full, E::End), path);
    for (int width : {full - 1, full / 2, full / 4}) {
        const QString end = CPathStatic::Shorten(path, m, width, E::End);
        EXPECT_TRUE(end.endsWith("...")) << width;
        EXPECT_TRUE(path.startsWith(end.chopped(3))) << width;
        EXPECT_LE(m.horizontalAdvance(end), width);
        EXPECT_GT(m.horizontalAdvance(end + "W"), width - 1) << "as much as fits";

        const QString middle = CPathStatic::Shorten(path, m, width, E::Path);
        EXPECT_LE(m.horizontalAdvance(middle), width);
        if (m.horizontalAdvance("...DSC_0042.jpg/") <= width) {
            EXPECT_TRUE(middle.endsWith(".../DSC_0042.jpg") || middle.endsWith("/DSC_0042.jpg"))
                << middle.toStdString();
        }
    }
    EXPECT_EQ(CPathStatic::Shorten(path, m, 1, E::End), "");

    QWidget parent;
    QFont big = parent.font();
    big.setPointSize(big.pointSize() + 5);
    parent.setFont(big);
    CPathStatic line(&parent);
    line.setText(path);
    EXPECT_EQ(line.font().pointSize(), big.pointSize()) << "paints in its parent's font";
    EXPECT_EQ(line.text(), path) << "screen readers get the whole text";
    EXPECT_LT(line.minimumSizeHint().width(), full) << "a long text does not widen the window";
}

TEST(BusyWindow, AnimatesWhileShownAndStartsAtTheFirstFrameEachTime) {
    std::set<qint64> keys;
    for (int i = 0; i < kBusyFrameCount; ++i) {
        ASSERT_FALSE(ProgressWindow::FramePicture(i).isNull());
        keys.insert(ProgressWindow::FramePicture(i).toImage().cacheKey());
        EXPECT_EQ(ProgressWindow::FramePicture(i).toImage(),
                  ProgressWindow::FramePicture(i).toImage());
    }
    for (int i = 1; i < kBusyFrameCount; ++i)
        EXPECT_NE(ProgressWindow::FramePicture(i).toImage(),
                  ProgressWindow::FramePicture(i - 1).toImage())
            << "frame " << i << " differs from the one before";

    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    ProgressWindow busy(&owner);
    EXPECT_FALSE(busy.isVisible());
    EXPECT_FALSE(busy.animating());
    busy.show();
    EXPECT_TRUE(busy.animating());
    EXPECT_EQ(busy.frameIndex(), 0);
    QTest::qWait(ProgressWindow::kFrameMilliseconds + 200);
    EXPECT_EQ(busy.frameIndex(), 1) << "one frame per 500 ms";
    for (int expected : {2, 3, 4, 5, 6, 0, 1}) {
        busy.AdvanceFrame();
        EXPECT_EQ(busy.frameIndex(), expected);
    }
    busy.hide();
    EXPECT_FALSE(busy.animating());
    busy.show();
    EXPECT_EQ(busy.frameIndex(), 0) << "shown again: the first frame";
}

TEST(BusyWindow, ProgramCancelHidesAndAsksItsOwnerOnce) {
    QWidget owner;
    ProgressWindow busy(&owner);
    QSignalSpy spy(&busy, &ProgressWindow::cancelRequested);
    busy.show();
    busy.SetStatusText("3 of 9 files processed");
    busy.findChild<QPushButton*>("cancelButton")->click();
    EXPECT_FALSE(busy.isVisible());
    EXPECT_EQ(spy.count(), 1);
    busy.show();
    QTest::keyClick(&busy, Qt::Key_Escape);
    EXPECT_FALSE(busy.isVisible()) << "Escape is Cancel";
    EXPECT_EQ(spy.count(), 2);
    EXPECT_FALSE(busy.cancelFlag());
}

TEST(BusyWindow, ExtensionCancelWaitsForTheRunningFile) {
    ProgressWindow busy(nullptr, ProgressWindow::Kind::Extension);
    EXPECT_EQ(busy.statusText(), "");
    busy.show();
    busy.SetStatusText("Processing file 3 of 10");
    busy.SetPathText("/in/c.jpg");
    auto* cancel = busy.findChild<QPushButton*>("cancelButton");
    cancel->click();
    EXPECT_TRUE(busy.cancelFlag());
    EXPECT_TRUE(busy.isVisible());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(busy.statusText(), "Waiting for operation to complete.");
    EXPECT_EQ(busy.pathText(), "/in/c.jpg");

    // A path too long for the line keeps its start and its file name.
    const QString path = "/home/someone/Pictures/" + QString(40, 'x') + "/holiday-0042.jpg";
    busy.SetPathText(path);
    auto* line = busy.findChild<CPathStatic*>("pathLine");
    ASSERT_NE(line, nullptr);
    const QString shown = line->DisplayText(line->fontMetrics().horizontalAdvance(path) / 2);
    EXPECT_TRUE(shown.startsWith("/home/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("/holiday-0042.jpg"))
        << shown.toStdString();
}

}  // namespace
}  // namespace vig::widgets
