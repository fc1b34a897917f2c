#include "common/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "platform/install_layout.h"
#include "platform/paths.h"
#include "platform/system.h"

namespace vig::ui {
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

// Topic pages by help context; contexts without a page open the index.
QString TopicFile(int helpContext) {
    return QStringLiteral("topic-%1.html").arg(helpContext);
}

}  // namespace

QString HelpFolder() {
    const std::string program = platform::ProgramPath();
    if (program.empty()) return {};
    const std::string index =
        platform::FindFileIn(platform::HelpFolders(paths::Directory(program)), "index.html");
    return index.empty() ? QString() : QFileInfo(QString::fromStdString(index)).canonicalPath();
}

QUrl HelpTopicUrl(int helpContext) {
    const QString folder = HelpFolder();
    if (folder.isEmpty()) return {};
    const QDir dir(folder);
    const QString topic = dir.filePath(TopicFile(helpContext));
    return QUrl::fromLocalFile(
        QFileInfo(topic).isFile() ? topic : dir.filePath(QStringLiteral("index.html")));
}

void SetHelpOpener(HelpOpener* opener) {
    gOpener = opener;
}

void ShowHelpTopic(int helpContext) {
    OpenInBrowser(HelpTopicUrl(helpContext));
}

void ShowHelpHome() {
    const QString folder = HelpFolder();
    if (!folder.isEmpty())
        OpenInBrowser(QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("index.html"))));
}

}  // namespace vig::ui
