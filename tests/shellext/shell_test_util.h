// Helpers of the context-menu tests: the built library loaded the way a file
// manager loads it, and a temporary home for the user's folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "shellext/launcher/shell_host.h"
#include "support/temp_dir.h"

namespace vig::test {

// The library built beside the program, opened once for the whole test run.
inline shell::ShellLibrary& Library() {
    static shell::ShellLibrary library;
    static const bool opened = [] {
        std::string error;
        return library.Open(VIGSHELL_LIBRARY, &error);
    }();
    if (!opened) ADD_FAILURE() << "cannot load " << VIGSHELL_LIBRARY;
    return library;
}

// The user's folders (home, configuration, data and the desktop's own
// configuration) inside a fresh temporary folder while the object lives.
class TempHome {
public:
    TempHome() {
        for (const char* name : kNames) {
            const char* v = std::getenv(name);
            if (v != nullptr) saved_[name] = v;
        }
        setenv("HOME", dir_.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (dir_ / "xdg").c_str(), 1);
    }
    ~TempHome() {
        for (const char* name : kNames) {
            const auto it = saved_.find(name);
            if (it == saved_.end())
                unsetenv(name);
            else
                setenv(name, it->second.c_str(), 1);
        }
    }
    std::string operator/(const std::string& name) const { return dir_ / name; }

private:
    static constexpr const char* kNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                             "XDG_CONFIG_DIRS"};
    TempDir dir_;
    std::map<std::string, std::string> saved_;
};

}  // namespace vig::test
