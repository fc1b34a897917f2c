// The "&Snapshrink..." command: finds the program, asks for the values in
// the quick dialog, then runs the program once per selected path, one after
// the other, under the busy window with its Cancel.
#pragma once

#include <string>
#include <vector>

#include "shellext/shared/com_layout.h"

namespace vig::shell {

// owner: the invoking window (a QWidget*), or nullptr. Works in a host that
// has a QApplication and makes one of its own for the command otherwise.
void RunSnapshrinkCommand(const std::vector<std::string>& selection, HWND owner);

}  // namespace vig::shell
