#include "cli/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>

extern char** environ;

namespace vig::test {

CliSandbox::CliSandbox() {
    std::filesystem::create_directories(ConfigHome());
}

void CliSandbox::WriteSettings(const std::vector<std::string>& lines) const {
    std::filesystem::create_directories(ConfigHome() + "/Ostrel Software");
    std::ofstream out(ConfigFile());
    out << "[vignettor]\n";
    for (const auto& l : lines) out << l << "\n";
}

namespace {
int gTerminal = -1;  // the terminal side a child started by Start gets as stderr
}

pid_t CliSandbox::Start(const std::vector<std::string>& args, const RunLimits& limits) const {
    std::vector<std::string> argvStore;
    argvStore.push_back(VIG_PROGRAM);
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argvStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string s = *e;
        if (s.rfind("XDG_CONFIG_HOME=", 0) == 0 || s.rfind("HOME=", 0) == 0) continue;
        // No display: a start without /h must never open a window here.
        if (s.rfind("DISPLAY=", 0) == 0 || s.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            s.rfind("QT_QPA_PLATFORM=", 0) == 0 || s.rfind("LANGUAGE=", 0) == 0)
            continue;
        envStore.push_back(s);
    }
    envStore.push_back("XDG_CONFIG_HOME=" + ConfigHome());
    envStore.push_back("HOME=" + dir_.path());
    envStore.push_back("LANGUAGE=" + limits.language);
    std::vector<char*> envp;
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string outPath = dir_ / limits.stdoutName, errPath = dir_ / limits.stderrName;
    const std::string folder = limits.folder.empty() ? dir_.path() : limits.folder;
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // The child: only async-signal-safe calls until exec.
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(gTerminal >= 0 ? gTerminal : err, 2) < 0 ||
        chdir(folder.c_str()) != 0)
        _exit(127);
    if (limits.maxFileBytes >= 0) {
        const rlimit limit{static_cast<rlim_t>(limits.maxFileBytes),
                           static_cast<rlim_t>(limits.maxFileBytes)};
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, SIG_IGN);  // writes fail with EFBIG instead
    }
    if (limits.maxAddressBytes >= 0) {
        const rlimit limit{static_cast<rlim_t>(limits.maxAddressBytes),
                           static_cast<rlim_t>(limits.maxAddressBytes)};
        setrlimit(RLIMIT_AS, &limit);
    }
    signal(SIGHUP, limits.hangUpIgnored ? SIG_IGN : SIG_DFL);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

RunResult CliSandbox::Wait(pid_t pid, const RunLimits& limits) const {
    RunResult result;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.peakKilobytes = usage.ru_maxrss;
    }
    result.out = ReadFileText(dir_ / limits.stdoutName);
    result.err = ReadFileText(dir_ / limits.stderrName);
    return result;
}

RunResult CliSandbox::RunOnTerminal(const std::vector<std::string>& args, int columns) const {
    int master = -1, terminal = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    if (openpty(&master, &terminal, nullptr, nullptr, &size) != 0) return {};
    gTerminal = terminal;
    const pid_t pid = Start(args);
    gTerminal = -1;
    close(terminal);
    // Read while it runs, so that a full terminal never holds it up.
    std::string seen;
    char buf[4096];
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            const ssize_t got = read(master, buf, sizeof buf);
            if (got > 0) {
                seen.append(buf, static_cast<size_t>(got));
                continue;
            }
            break;  // the program's side is closed
        }
    }
    close(master);
    RunResult result = Wait(pid);
    result.err = seen;
    return result;
}

RunResult CliSandbox::Run(const std::vector<std::string>& args, const RunLimits& limits) const {
    return Wait(Start(args, limits), limits);
}

}  // namespace vig::test
