// Registering and unregistering the context-menu extension from the
// Operation page: the library beside the program (else the installed one)
// is loaded, its registration entry called and the library unloaded at once.
#pragma once

#include <QString>

class QWidget;

namespace vig::ui {

// The folder of the running program.
QString ProgramFolder();

// Loads the extension library of the programs in `folder`, calls its registration entry
// (enable) or unregistration entry, unloads it and tells the user the
// outcome in a message box over `parent`. True when the entry succeeded.
bool RegisterShellExtension(QWidget* parent, const QString& folder, bool enable);

}  // namespace vig::ui
