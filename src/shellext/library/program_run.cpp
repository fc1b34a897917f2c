#include "shellext/library/program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

extern char** environ;

namespace vig::shell {
namespace {

constexpr int kPumpMilliseconds = 200;
constexpr int kWaitStepMilliseconds = 50;

}  // namespace

bool StartAndWait(const std::vector<std::string>& args, int keepFd) {
    if (args.empty()) return false;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Only the standard streams are handed on, and the descriptor to keep.
    // It goes through a copy numbered above 3, so that the child's copy is
    // always a new descriptor, one that stays open across exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int passed = keepFd >= 0 ? fcntl(keepFd, F_DUPFD_CLOEXEC, 4) : -1;
    if (passed >= 0) posix_spawn_file_actions_adddup2(&actions, passed, 3);
    posix_spawn_file_actions_addclosefrom_np(&actions, passed >= 0 ? 4 : 3);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (passed >= 0) close(passed);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

bool WaitPumping(const std::function<bool()>& ready, const std::function<bool()>& cancelRequested) {
    while (!ready()) {
        if (cancelRequested()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, kWaitStepMilliseconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(kWaitStepMilliseconds));
    }
    return true;
}

bool RunProgramPumping(const std::vector<std::string>& args,
                       const std::function<bool()>& cancelRequested, bool* cancelled, int keepFd) {
    std::atomic<bool> done{false};
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    std::thread worker;
    try {
        worker = std::thread([&args, &done, dispatcher, keepFd] {
            StartAndWait(args, keepFd);
            done = true;
            if (dispatcher != nullptr) dispatcher->wakeUp();
        });
    } catch (const std::system_error&) {
        return false;
    }
    // The timer wakes the wait below at least every 200 ms; the worker wakes
    // it as soon as the run has ended.
    QTimer tick;
    tick.start(kPumpMilliseconds);
    while (!done) {
        if (cancelRequested()) *cancelled = true;
        if (dispatcher != nullptr)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(kPumpMilliseconds));
    }
    worker.join();
    if (cancelRequested()) *cancelled = true;
    return true;
}

}  // namespace vig::shell
