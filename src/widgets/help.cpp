#include "widgets/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "platform/install_layout.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace vig::widgets {
namespace {

class BrowserOpener final : public HelpOpener {
public:
    void Open(const QUrl& url) override { QDesktopServices::openUrl(url); }
};

HelpOpener* gOpener = nullptr;

void OpenInBrowser(const QUrl& url) {
    if (url.isEmpty()) return;
    static BrowserOpener browser;
    (gOpener != nullptr ? *gOpener : browser).Open(url);
}

}  // namespace

QString HelpTopicFile(HelpTopic topic) {
    switch (topic) {
        case HelpTopic::MainWindow:
            return QStringLiteral("main-window.html");
        case HelpTopic::FilesAndFolders:
            return QStringLiteral("files-and-folders.html");
        case HelpTopic::Operation:
            return QStringLiteral("operation.html");
        case HelpTopic::Jpeg:
            return QStringLiteral("jpeg.html");
        case HelpTopic::Png:
            return QStringLiteral("png.html");
        case HelpTopic::Image:
            return QStringLiteral("image.html");
        case HelpTopic::Overlay:
            return QStringLiteral("overlay.html");
        case HelpTopic::Log:
            return QStringLiteral("log.html");
        case HelpTopic::HtmlPages:
            return QStringLiteral("html-pages.html");
        case HelpTopic::HtmlHeaderFooter:
            return QStringLiteral("html-header-footer.html");
        case HelpTopic::HtmlAppearance:
            return QStringLiteral("html-appearance.html");
        case HelpTopic::Composite:
            return QStringLiteral("composite.html");
    }
    return QStringLiteral("index.html");
}

QString HelpFolder() {
    const std::string program = platform::ProgramPath();
    if (program.empty()) return {};
    const std::string index =
        platform::FindFileIn(platform::HelpFolders(paths::Directory(program)), "index.html");
    return index.empty() ? QString() : QFileInfo(QString::fromStdString(index)).canonicalPath();
}

QUrl HelpTopicUrl(HelpTopic topic) {
    const QString folder = HelpFolder();
    if (folder.isEmpty()) return {};
    const QDir dir(folder);
    const QString page = dir.filePath(HelpTopicFile(topic));
    return QUrl::fromLocalFile(
        QFileInfo(page).isFile() ? page : dir.filePath(QStringLiteral("index.html")));
}

void SetHelpOpener(HelpOpener* opener) {
    gOpener = opener;
}

void ShowHelpTopic(HelpTopic topic) {
    OpenInBrowser(HelpTopicUrl(topic));
}

void ShowHelpHome() {
    const QString folder = HelpFolder();
    if (!folder.isEmpty())
        OpenInBrowser(QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("index.html"))));
}

}  // namespace vig::widgets
