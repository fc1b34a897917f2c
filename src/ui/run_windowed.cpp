#include "ui/run_windowed.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app_info.h"
#include "engine/command_line.h"
#include "platform/system.h"
#include "platform/translation.h"
#include "ui/main_window.h"
#include "ui/window_texts.h"
#include "widgets/pictures.h"

namespace vig::ui {

int RunWindowed(int argc, char** argv, options::BatchOptions& options, ProfileStore& store) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        engine::PrintUsage(stdout);
        std::fputs(texts::Tr(texts::kWindowUsage).toStdString().c_str(), stdout);
        return engine::kExitSuccess;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s %s\n", texts::kProgramName, engine::VersionText());
        return engine::kExitSuccess;
    }
    if (!platform::HasDisplay()) {
        std::fputs(texts::Tr(texts::kNoDisplay).toStdString().c_str(), stderr);
        return engine::kExitUsage;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrel Software"));
    QApplication::setApplicationName(QStringLiteral("vignettor"));
    QApplication::setApplicationVersion(QString::fromLatin1(engine::VersionText()));
    QGuiApplication::setDesktopFileName(QStringLiteral("vignettor"));
    QApplication::setWindowIcon(widgets::ApplicationIcon());
    // The catalogues were read at start-up (the command-line texts above
    // use them); now the forms and Qt's own dialogs do too.
    LoadCatalogues({});

    MainWindow window(options, store);
    window.show();
    return app.exec();
}

}  // namespace vig::ui
