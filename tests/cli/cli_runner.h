// Runs the built vignettor in a temporary folder with its own
// XDG_CONFIG_HOME and language, capturing stdout, stderr and the exit status.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vig::test {

struct RunResult {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
    long peakKilobytes = 0;  // the most resident memory it had
};

// Limits a run is started under.
struct RunLimits {
    long long maxFileBytes = -1;  // files may not grow beyond this (a full disk)
    long long maxAddressBytes = -1;  // the address space may not grow beyond this
    std::string folder;           // its current folder ("" is the sandbox)
    std::string stdoutName = ".stdout", stderrName = ".stderr";
    bool hangUpIgnored = false;  // started as nohup starts a program
    std::string language = "en";  // LANGUAGE: the desktop's language, English unless a test asks
};

class CliSandbox {
public:
    CliSandbox();
    // Runs the program with these arguments (argument 0 is added).
    RunResult Run(const std::vector<std::string>& args, const RunLimits& limits = {}) const;
    // Starts it without waiting; Wait gives the result.
    pid_t Start(const std::vector<std::string>& args, const RunLimits& limits = {}) const;
    RunResult Wait(pid_t pid, const RunLimits& limits = {}) const;
    // Runs it with stderr on a pseudo-terminal `columns` wide; `err` is all
    // that reached the terminal.
    RunResult RunOnTerminal(const std::vector<std::string>& args, int columns) const;

    const TempDir& dir() const { return dir_; }
    std::string ConfigHome() const { return dir_ / "config"; }
    std::string ConfigFile() const { return ConfigHome() + "/Ostrel Software/vignettor.conf"; }
    // Writes a settings file holding these "name=value" lines.
    void WriteSettings(const std::vector<std::string>& lines) const;

private:
    TempDir dir_;
};

}  // namespace vig::test
