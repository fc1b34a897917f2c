// Pictures of the windows for the README and for a person to look at:
//   vig_screenshots OUTPUT-FOLDER [--dark] [--home FOLDER]
// at the scale of QT_SCALE_FACTOR (make screenshots takes 100%, 150% and
// 200%, and a set in a dark colour scheme). The sample pictures go to
// FOLDER/Pictures (a temporary folder by default; give a home-like one for
// pictures that are shown to people) and are removed again; no text field
// has the focus, so no caret shows. Each window has a title bar.
// docs/images/main-window.png is the main-window.png of
//   vig_screenshots OUT --home /home/alex   (a home that does not exist yet)
// Writes main-window.png (log pane shut), main-window-log.png (log pane
// open), main-window-running.png (a real batch under way, the busy window
// over the window), about.png, sheet-1.png to sheet-9.png (the pages of the
// options sheet), sheet-html-header.png, sheet-html-appearance.png,
// sheet-font.png, and the file-manager command's snapshrink-dialog.png and
// snapshrink-running.png. Runs on the offscreen platform.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "engine/report.h"
#include "options/batch_options.h"
#include "platform/profile_store.h"
#include "platform/translation.h"
#include "shellext/library/quick_dialog.h"
#include "ui/about_dialog.h"
#include "ui/font_chooser.h"
#include "ui/html_appearance_dialog.h"
#include "ui/html_text_dialog.h"
#include "ui/main_window.h"
#include "ui/options_sheet.h"
#include "ui/overlay_preview.h"
#include "widgets/busy_window.h"

namespace {

bool Save(const QPixmap& picture, const QDir& out, const char* name) {
    const QString path = out.filePath(QString::fromLatin1(name));
    const bool ok = picture.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

// A window picture, with a title bar, on a plain desktop with a shadow, so
// that the windows read as windows; `over` (with its own title bar) stands
// over it at `overAt` (its frame's offset from the window's). Everything is
// drawn in device pixels, at the pictures' scale.
QPixmap OnDesktop(const QPixmap& window, const QString& title, const QPixmap& over = {},
                  const QString& overTitle = {}, QPoint overAt = {}) {
    const qreal ratio = window.devicePixelRatio();
    const int bar = qRound(30 * ratio), margin = qRound(24 * ratio);
    const QPalette palette = QApplication::palette();
    const auto withBar = [&](const QPixmap& pm, const QString& text) {
        QPixmap device = pm;
        device.setDevicePixelRatio(1);
        QPixmap out(device.width(), device.height() + bar);
        out.fill(palette.color(QPalette::Window).darker(112));
        QPainter p(&out);
        p.drawPixmap(0, bar, device);
        p.fillRect(QRect(0, bar - 1, out.width(), 1), palette.color(QPalette::Mid));
        QFont font = QApplication::font();
        font.setPixelSize(qRound(13 * ratio));
        font.setBold(true);
        p.setFont(font);
        p.setPen(palette.color(QPalette::WindowText));
        p.drawText(QRect(0, 0, out.width(), bar), Qt::AlignCenter, text);
        // The close box.
        const int s = qRound(8 * ratio), cx = out.width() - bar / 2, cy = bar / 2;
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette.color(QPalette::WindowText), 1.5 * ratio));
        p.drawLine(cx - s / 2, cy - s / 2, cx + s / 2, cy + s / 2);
        p.drawLine(cx - s / 2, cy + s / 2, cx + s / 2, cy - s / 2);
        return out;
    };
    const QPixmap main = withBar(window, title);
    QPixmap out(main.size() + QSize(2 * margin, 2 * margin));
    out.fill(QColor(0x4a, 0x55, 0x68));
    QPainter p(&out);
    const auto framed = [&p, ratio](const QPixmap& pm, QPoint at) {
        for (int k = 8; k > 0; --k)
            p.fillRect(QRect(at + QPoint(k / 2, k) * ratio, pm.size()), QColor(0, 0, 0, 10));
        p.drawPixmap(at, pm);
        p.setPen(QColor(0, 0, 0, 90));
        p.drawRect(QRect(at, pm.size()).adjusted(0, 0, -1, -1));
    };
    framed(main, QPoint(margin, margin));
    if (!over.isNull()) framed(withBar(over, overTitle), QPoint(margin, margin) + overAt * ratio);
    return out;
}

// Grabs `w` with no text field holding the focus (no caret in the picture).
QPixmap Grab(QWidget& w) {
    if (QWidget* focus = QApplication::focusWidget();
        focus != nullptr && w.isAncestorOf(focus) && focus->inherits("QLineEdit"))
        focus->clearFocus();
    QCoreApplication::processEvents();
    return w.grab();
}

// Fusion in dark colours, as a dark desktop theme gives them.
QPalette DarkPalette() {
    QPalette p;
    const QColor window(0x35, 0x35, 0x38), base(0x24, 0x24, 0x27), text(0xe8, 0xe8, 0xea);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x40, 0x40, 0x44));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(0x5a, 0x5a, 0x60));
    p.setColor(QPalette::Midlight, QColor(0x4a, 0x4a, 0x50));
    p.setColor(QPalette::Mid, QColor(0x2c, 0x2c, 0x30));
    p.setColor(QPalette::Dark, QColor(0x1e, 0x1e, 0x21));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x86));
    return p;
}

void MakeSamples(const QDir& in, int count) {
    for (int i = 0; i < count; ++i) {
        QImage image(1800, 1200, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient sky(0, 0, 0, 1200);
        sky.setColorAt(0, QColor::fromHsv((i * 37) % 360, 120, 230));
        sky.setColorAt(1, QColor::fromHsv((i * 37 + 60) % 360, 160, 120));
        p.fillRect(image.rect(), sky);
        p.setBrush(QColor(255, 220, 80));
        p.drawEllipse(QPoint(300 + i * 40, 300), 120, 120);
        p.end();
        image.save(in.filePath(QStringLiteral("photo-%1.png").arg(i + 1, 3, 10, QLatin1Char('0'))));
    }
}

// A logo for the overlay page: white letters on a red badge, on black
// (the colour keyed out).
QString MakeLogo(const QDir& dir) {
    QImage image(240, 120, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 40, 50));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRect(10, 20, 220, 80), 24, 24);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(44);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(10, 20, 220, 80), Qt::AlignCenter, QStringLiteral("2024"));
    p.end();
    const QString path = dir.filePath(QStringLiteral("logo.png"));
    image.save(path);
    return path;
}

// Every page of the options sheet, and the dialogs of its pages.
bool SheetPictures(vig::options::BatchOptions options, const QDir& work, const QDir& out) {
    options.OverlayOverlay = 1;
    options.OverlayPath = MakeLogo(work).toStdString();
    options.OverlayPos = 6;
    options.OverlayNoTransparency = 0;
    options.OverlayOpacity = 0.8;
    options.LogMakeLog = 1;
    options.LogPath = work.filePath(QStringLiteral("Pictures/thumbs.log")).toStdString();
    options.LogInputName = 1;
    options.HTMLLog = 1;
    options.HTMLMakeSrcLink = 1;
    options.HTMLMakeIndex = 1;
    options.CompositeMakeComposite = 1;
    options.PNGKey = "Author";
    options.PNGText = "Ostrel Software";
    bool ok = true;
    vig::ui::CMySheet sheet(options);
    sheet.show();
    for (int i = 0; i < sheet.pageCount(); ++i) {
        sheet.showPage(i);
        QCoreApplication::processEvents();
        // The overlay preview reads its picture on a thread of its own.
        if (const auto* preview =
                sheet.tabs()->currentWidget()->findChild<vig::ui::COverlayPreview*>()) {
            QElapsedTimer waited;
            waited.start();
            while (preview->reading() && waited.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        const QByteArray name = QStringLiteral("sheet-%1.png").arg(i + 1).toLatin1();
        ok = Save(OnDesktop(Grab(sheet), sheet.windowTitle()), out, name.constData()) && ok;
    }
    sheet.hide();

    const auto dialog = [&](QWidget& d, const char* name) {
        d.show();
        QCoreApplication::processEvents();
        ok = Save(OnDesktop(Grab(d), d.windowTitle()), out, name) && ok;
        d.hide();
    };
    vig::ui::CHtmlTextDialog header(
        false, {"<h1>Holidays 2024</h1>\n<p>Photos of the summer.</p>", "", 0});
    dialog(header, "sheet-html-header.png");
    vig::ui::CHtmlAppearanceDialog appearance(options.Html());
    dialog(appearance, "sheet-html-appearance.png");
    vig::ui::CFontChooser font(
        {QStringLiteral("Liberation Sans"), 12, vig::options::MakeColour(0, 0, 0)});
    dialog(font, "sheet-font.png");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QString outPath = QStringLiteral("screenshots"), home;
    bool dark = false;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--dark"))
            dark = true;
        else if (arg == QLatin1String("--home") && i + 1 < argc)
            home = QString::fromLocal8Bit(argv[++i]);
        else
            outPath = arg;
    }
    if (dark) QApplication::setPalette(DarkPalette());
    // In the desktop's language (LANGUAGE=de for the German pictures).
    vig::LoadCatalogues({VIG_TRANSLATIONS_DIR});
    const QDir out(outPath);
    QDir().mkpath(out.path());

    // The pictures' folder: Pictures in the home given, made for the run
    // and removed after it, or a temporary one.
    const bool ownHome = !home.isEmpty() && !QFileInfo::exists(home);
    QTemporaryDir scratch;
    QDir work(home.isEmpty() ? scratch.path() : home);
    if (!home.isEmpty() && QFileInfo::exists(work.filePath(QStringLiteral("Pictures")))) {
        std::fprintf(stderr, "%s/Pictures exists already; give a home without one\n",
                     qPrintable(home));
        return 2;
    }
    work.mkpath(QStringLiteral("Pictures/Holidays 2024"));
    work.mkpath(QStringLiteral("Pictures/Thumbnails"));
    const QDir in(work.filePath(QStringLiteral("Pictures/Holidays 2024")));
    MakeSamples(in, 60);

    vig::MemoryProfileStore store;
    vig::options::BatchOptions options;
    options.Reset();
    options.MainSrcPath = in.path().toStdString();
    options.MainDestPath = work.filePath(QStringLiteral("Pictures/Thumbnails")).toStdString();
    options.MainWidth = 320;
    options.MainHeight = 240;
    options.OutputRenameStyle = vig::options::Overwrite;
    options.MainEnableSingleFile = 1;

    vig::ui::MainWindow window(options, store);
    window.show();
    QCoreApplication::processEvents();
    bool ok = Save(OnDesktop(Grab(window), window.windowTitle()), out, "main-window.png");

    // A real run: part-way through, take the picture and stop it.
    QTimer::singleShot(700, &window, [&] {
        vig::widgets::ProgressWindow* busy = window.progressWindow();
        const QPoint at = busy->frameGeometry().topLeft() - window.frameGeometry().topLeft();
        ok = Save(OnDesktop(Grab(window), window.windowTitle(), busy->grab(), busy->windowTitle(), at),
                  out, "main-window-running.png") &&
             ok;
        window.OnCancelRequest();
    });
    window.OnStart();

    // The pane after the run: the run's line; a taller window gives the
    // pane the extra height.
    window.OnToggleLogPane();
    window.resize(window.width(), window.height() + 80);
    QCoreApplication::processEvents();
    ok = Save(OnDesktop(Grab(window), window.windowTitle()), out, "main-window-log.png") && ok;
    window.OnToggleLogPane();

    // Sized by percent: one size field, saying its unit.
    if (auto* resize = window.findChild<QComboBox*>(QStringLiteral("resizeList"))) {
        resize->setCurrentIndex(resize->findData(vig::options::Percent));
        QCoreApplication::processEvents();
        ok = Save(OnDesktop(Grab(window), window.windowTitle()), out, "main-window-percent.png") &&
             ok;
        resize->setCurrentIndex(resize->findData(vig::options::BestFit));
    }

    vig::ui::AboutDialog about(&window);
    about.show();
    QCoreApplication::processEvents();
    ok = Save(OnDesktop(Grab(about), about.windowTitle()), out, "about.png") && ok;

    ok = SheetPictures(options, work, out) && ok;

    // The file-manager command: its quick dialog and its busy window.
    vig::shell::QuickSettings quick;
    quick.destFolder = options.MainDestPath;
    quick.inputFolder = in.path().toStdString();
    vig::shell::CSnapshrinkDlg snapshrink(quick);
    snapshrink.show();
    QCoreApplication::processEvents();
    ok = Save(OnDesktop(Grab(snapshrink), snapshrink.windowTitle()), out, "snapshrink-dialog.png") &&
         ok;
    snapshrink.close();
    vig::widgets::ProgressWindow busy(nullptr, vig::widgets::ProgressWindow::Kind::Extension);
    busy.show();
    busy.SetStatusText(QStringLiteral("Processing file 3 of 10"));
    busy.SetPathText(in.filePath(QStringLiteral("beach at noon.jpg")));
    QCoreApplication::processEvents();
    ok = Save(OnDesktop(Grab(busy), busy.windowTitle()), out, "snapshrink-running.png") && ok;
    busy.close();

    window.close();
    if (home.isEmpty() || ownHome)
        work.removeRecursively();
    else
        QDir(work.filePath(QStringLiteral("Pictures"))).removeRecursively();
    return ok ? 0 : 1;
}
