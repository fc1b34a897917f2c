// Opening the program's HTML manual at a topic. The topics are numbered by
// help context (2 is the main window); the manual lies in a "help" folder
// found relative to the program (see HelpFolder).
#pragma once

#include <QString>
#include <QUrl>

namespace vig::ui {

// The folder of the installed or built manual: "help" beside the program,
// else "../share/doc/vignettor/help" from the program's folder. "" when
// neither holds an index.html.
QString HelpFolder();

// The address of the page of a help context (the manual's first page for
// a context it has no page for); an empty address when there is no manual.
QUrl HelpTopicUrl(int helpContext);

// Where help requests go: the desktop's browser unless a test installed
// its own opener.
class HelpOpener {
public:
    virtual ~HelpOpener() = default;
    virtual void Open(const QUrl& url) = 0;
};
void SetHelpOpener(HelpOpener* opener);  // nullptr restores the browser

// Opens the topic of a help context in the browser.
void ShowHelpTopic(int helpContext);
// Opens the manual's home page (index.html) in the browser.
void ShowHelpHome();

}  // namespace vig::ui
