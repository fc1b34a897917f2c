#include "common/help.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

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
    const QString program = QString::fromStdString(platform::ProgramPath());
    if (program.isEmpty()) return {};
    const QDir dir = QFileInfo(program).absoluteDir();
    const QString candidates[] = {dir.filePath(QStringLiteral("help")),
                                  dir.filePath(QStringLiteral("../share/doc/vignettor/help"))};
    for (const QString& c : candidates)
        if (QFileInfo(QDir(c).filePath(QStringLiteral("index.html"))).isFile())
            return QDir(c).canonicalPath();
    return {};
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
