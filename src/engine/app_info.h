// The program's version and title.
#pragma once

#include <string>

namespace vig::engine {

// The file version, "4.4.0.1".
const char* VersionText();
// "Vignettor v" and the version cut before its second dot: "Vignettor v4.4".
std::string ApplicationTitle(const std::string& version = VersionText());

}  // namespace vig::engine
