// Queries of the running system that the rest of the program needs.
#pragma once

#include <string>

namespace vig::platform {

// The user's temporary folder ($TMPDIR, else /tmp), as the system gives it.
std::string TempFolder();

// Full path of the running program file ("" if it cannot be found).
std::string ProgramPath();

// The processors this process may run on (at least 1).
int ProcessorCount();

// Whether a window can be shown: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
// is set and not empty.
bool HasDisplay();

}  // namespace vig::platform
