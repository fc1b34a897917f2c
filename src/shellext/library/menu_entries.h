// The context-menu entries that the file managers of the desktop read from
// the user's folders: a Dolphin service menu, Nautilus and Caja scripts, a
// Nemo action and a Thunar custom action. Each runs the launcher with the
// selected paths as separate arguments. They are written together with the
// handler's registration and removed with it.
#pragma once

#include <string>
#include <vector>

#include "shellext/shared/user_folders.h"

namespace vig::shell {

struct MenuEntryFile {
    std::string path;
    std::string text;
    unsigned mode;  // permission bits
};

// The files of Dolphin, Nautilus, Nemo and Caja for a launcher at
// launcherPath, in the user's current folders.
std::vector<MenuEntryFile> MenuEntryFiles(const std::string& launcherPath);

// Thunar keeps every custom action in one file: ~/.config/Thunar/uca.xml.
std::string ThunarActionsPath();
// Our <action> element for that file (ends with a line break).
std::string ThunarAction(const std::string& launcherPath);
// `actions` with our action put in (an earlier one of ours replaced), the
// user's other actions kept byte for byte. An empty file, or one of white
// space only, is an empty list of actions, as Thunar reads it. False when
// `actions` is not a file of custom actions (well-formed XML with the root
// "actions").
bool AddThunarAction(const std::string& actions, const std::string& launcherPath, std::string* out);
// `actions` without our action; unchanged when it holds none. False when it
// is not a file of custom actions (an empty one is).
bool RemoveThunarAction(const std::string& actions, std::string* out);

// Writes every entry through changes. Each file is checked first: nothing
// is written and false comes back when a file of an entry's name is not
// ours or Thunar's file cannot be read as custom actions. False also when a
// write fails; the caller undoes the writes made.
bool WriteMenuEntries(const std::string& launcherPath, FileChanges& changes);
// Removes every entry of ours that exists, going on past one that cannot be
// removed; false when one is left.
bool RemoveMenuEntries();

// Quoting of one argument for a POSIX shell command line.
std::string ShellQuote(const std::string& text);

}  // namespace vig::shell
