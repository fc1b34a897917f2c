#include "shellext/library/trace.h"

#include <cstdio>
#include <cstdlib>

namespace vig::shell {

void Trace(const char* line) {
    if (std::getenv("VIGSHELL_TRACE") == nullptr) return;
    std::fprintf(stderr, "%s\n", line);
}

}  // namespace vig::shell
