// vigshell: runs the context-menu command for the files a file manager's
// menu entry hands over, and registers or unregisters the entries.
#include <string>
#include <vector>

#include "shellext/launcher/shell_host.h"

int main(int argc, char** argv) {
    return vig::shell::LauncherMain(std::vector<std::string>(argv, argv + argc));
}
