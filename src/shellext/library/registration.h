// Registration of the context-menu handler in the per-user registration
// store, with the menu entries of the file managers.
#pragma once

#include "shellext/shared/com_layout.h"

namespace vig::shell {

// The launcher the menu entries run: vigshell beside the library, else in
// its installation's program folder (beside the library when neither has
// one).
std::string LauncherPath();

HRESULT RegisterServer();
HRESULT UnregisterServer();

// The keys with the class identifier put in.
std::string ClsidKey();
std::string InProcServerKey();

}  // namespace vig::shell
