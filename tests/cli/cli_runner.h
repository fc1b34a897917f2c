// Runs the built vignettor in a temporary folder with its own
// XDG_CONFIG_HOME, capturing stdout, stderr and the exit status.
#pragma once

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vig::test {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class CliSandbox {
public:
    CliSandbox();
    // Runs the program with these arguments (argument 0 is added).
    RunResult Run(const std::vector<std::string>& args) const;

    const TempDir& dir() const { return dir_; }
    std::string ConfigHome() const { return dir_ / "config"; }
    std::string ConfigFile() const { return ConfigHome() + "/Ostrel Software/vignettor.conf"; }
    // Writes a settings file holding these "name=value" lines.
    void WriteSettings(const std::vector<std::string>& lines) const;

private:
    TempDir dir_;
};

}  // namespace vig::test
