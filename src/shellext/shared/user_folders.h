// The user's folders that the registration and the menu entries live in,
// read from the environment at every call as the desktop's rules have it.
#pragma once

#include <string>
#include <vector>

namespace vig::shell {

// $HOME, else the home folder of the user's account.
std::string HomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
std::string UserConfigFolder();
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string UserDataFolder();
// The folders of $XDG_CONFIG_DIRS (absolute entries only), else /etc/xdg.
std::string SystemConfigFile(const std::string& relativePath);

// The settings folder shared with the program: <config>/Ostrel Software.
std::string CompanyFolder();

// Creates path and every missing folder above it; false when one of them
// cannot be made.
bool MakeFolders(const std::string& path);

// Writes text to path, put in place only when complete, with the
// permissions given; false (and path untouched) on any failure.
bool WriteFileWhole(const std::string& path, const std::string& text, unsigned mode);
// The permission bits of an existing file, else fallback.
unsigned FileMode(const std::string& path, unsigned fallback);
// The whole file; false when it cannot be read.
bool ReadFileWhole(const std::string& path, std::string* text);

// Files written one after another that can all be put back as they were,
// so that a change of several files is made whole or not at all.
class FileChanges {
public:
    // Writes text to path as WriteFileWhole does (making its folders),
    // remembering what was there first. False when it cannot be written, or
    // when a file there cannot be read back (it could not be put back).
    bool Write(const std::string& path, const std::string& text, unsigned mode);
    // Puts every file written back as it was, the last one first.
    void Undo();

private:
    struct Before {
        std::string path;
        bool existed;
        std::string text;
        unsigned mode;
    };
    std::vector<Before> before_;
};

}  // namespace vig::shell
