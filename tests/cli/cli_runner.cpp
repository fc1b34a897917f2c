#include "cli/cli_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

RunResult CliSandbox::Run(const std::vector<std::string>& args) const {
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
            s.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        envStore.push_back(s);
    }
    envStore.push_back("XDG_CONFIG_HOME=" + ConfigHome());
    envStore.push_back("HOME=" + dir_.path());
    std::vector<char*> envp;
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string outPath = dir_ / ".stdout", errPath = dir_ / ".stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, dir_.path().c_str());

    RunResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadFileText(outPath);
    result.err = ReadFileText(errPath);
    return result;
}

}  // namespace vig::test
