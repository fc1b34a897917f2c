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
bool RunProgramPumping(const std::vector<std::string>& args,
                       const std::function<bool()>& cancelRequested, bool* cancelled);

// Starts the program and waits for it; false when it could not be started.
bool StartAndWait(const std::vector<std::string>& args);

}  // namespace vig::shell
