// The diagnostics channel: silent unless VIGSHELL_TRACE is set in the
// environment, then one line per call on stderr.
#pragma once

namespace vig::shell {

void Trace(const char* line);

}  // namespace vig::shell
