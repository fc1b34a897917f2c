// The windowed start of vignettor: GNU --help and --version, a clear word
// when there is no display, else the main window until it closes.
#pragma once

#include "options/batch_options.h"
#include "platform/profile_store.h"

namespace vig::ui {

// Runs the program's window on `options` (loaded) and saves them to `store`
// when it closes. "--help" prints the usage on stdout, "--version" the name
// and version (both exit 0); without a display one line on stderr and 2.
// Other arguments are not looked at. Returns the exit status.
int RunWindowed(int argc, char** argv, options::BatchOptions& options, ProfileStore& store);

}  // namespace vig::ui
