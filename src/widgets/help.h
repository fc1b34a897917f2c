// Opening the program's HTML manual at a topic. Each topic is a page of its
// own, named after it (the main window's is main-window.html); the manual
// lies in a "help" folder found relative to the program (see HelpFolder).
#pragma once

#include <QString>
#include <QUrl>

namespace vig::widgets {

// The windows, pages and dialogs the manual has a page for.
enum class HelpTopic {
    MainWindow,
    FilesAndFolders,
    Operation,
    Jpeg,
    Png,
    Image,
    Overlay,
    Log,
    HtmlPages,
    HtmlHeaderFooter,
    HtmlAppearance,
    Composite,
};

// The file name of a topic's page in the manual folder.
QString HelpTopicFile(HelpTopic topic);

// The folder of the installed or built manual: "help" beside the program,
// else "../share/doc/vignettor/help" from the program's folder. "" when
// neither holds an index.html.
QString HelpFolder();

// The address of a topic's page (the manual's first page when the topic's
// page is missing); an empty address when there is no manual.
QUrl HelpTopicUrl(HelpTopic topic);

// Where help requests go: the desktop's browser unless a test installed
// its own opener.
class HelpOpener {
public:
    virtual ~HelpOpener() = default;
    virtual void Open(const QUrl& url) = 0;
};
void SetHelpOpener(HelpOpener* opener);  // nullptr restores the browser

// Opens a topic's page in the browser.
void ShowHelpTopic(HelpTopic topic);
// Opens the manual's home page (index.html) in the browser.
void ShowHelpHome();

}  // namespace vig::widgets
