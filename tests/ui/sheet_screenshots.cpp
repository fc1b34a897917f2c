// Pictures of every page of the options sheet and of its dialogs, for
// looking at the layout: sheet_screenshots <folder> [overlay image].
#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>

#include "options/batch_options.h"
#include "ui/font_chooser.h"
#include "ui/html_appearance_dialog.h"
#include "ui/html_text_dialog.h"
#include "ui/options_sheet.h"
#include "ui/pages/options_page.h"

namespace {

bool Save(QWidget& w, const QDir& dir, const QString& name) {
    w.show();
    QApplication::processEvents();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    const bool ok = w.grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write",
                 qPrintable(path));
    w.hide();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (argc < 2) {
        std::fprintf(stderr, "usage: sheet_screenshots <folder> [overlay image]\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());

    vig::BatchOptions options = vig::FirstRunOptions(1700000000);
    options.OverlayOverlay = 1;
    options.OverlayPos = 6;
    options.OverlayQuantize = 1;
    if (argc > 2) options.OverlayPath = argv[2];
    options.LogMakeLog = 1;
    options.LogPath = "/home/user/thumbs.log";
    options.HTMLLog = 1;
    options.HTMLMakeSrcLink = 1;
    options.CompositeMakeComposite = 1;
    options.PNGKey = "Author";
    options.PNGText = "Ostrel Software";

    bool ok = true;
    vig::ui::CMySheet sheet(options);
    for (int i = 0; i < sheet.pageCount(); ++i) {
        sheet.showPage(i);
        ok &= Save(sheet, dir, QStringLiteral("sheet-%1").arg(i + 1));
    }
    vig::ui::CHtmlTextDialog header(false, {"<h1>Holiday</h1>", "", 0});
    ok &= Save(header, dir, QStringLiteral("sheet-html-header"));
    vig::ui::CHtmlAppearanceDialog appearance(options.Html());
    ok &= Save(appearance, dir, QStringLiteral("sheet-html-appearance"));
    vig::ui::CFontChooser font({QStringLiteral("Liberation Sans"), 12, vig::MakeColour(0, 0, 0)});
    ok &= Save(font, dir, QStringLiteral("sheet-font"));
    return ok ? 0 : 1;
}
