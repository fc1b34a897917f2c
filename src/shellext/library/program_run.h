// One run of the program: started from an argument list (no shell, so every
// path arrives whole) and waited for in a worker thread, while the calling
// thread keeps its windows served.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vig::shell {

// Starts args[0] with args as its argument list and waits for it to end,
// dispatching the calling thread's events meanwhile; between two looks at
// cancelRequested at most 200 ms pass. *cancelled is set when
// cancelRequested answered true at any look (the run itself goes on to its
// end). A program that cannot be started ends the wait at once. False only
// when the worker thread could not be started.
// keepFd, when not -1, is handed to the program as its descriptor 3 (a
// lock it then holds until it ends, even should the caller end first).
bool RunProgramPumping(const std::vector<std::string>& args,
                       const std::function<bool()>& cancelRequested, bool* cancelled,
                       int keepFd = -1);

// Starts the program and waits for it; false when it could not be started.
bool StartAndWait(const std::vector<std::string>& args, int keepFd = -1);

// Waits until ready() answers true, dispatching the calling thread's events
// meanwhile and looking at ready and cancelRequested at least every 100 ms;
// false when cancelRequested answered true first.
bool WaitPumping(const std::function<bool()>& ready, const std::function<bool()>& cancelRequested);

}  // namespace vig::shell
