// The library as a whole: the count of live objects that decides whether it
// may be unloaded, and where its own file lies.
#pragma once

#include <cstdint>
#include <string>

namespace vig::shell {

// Raised for every class factory and context-menu object constructed,
// lowered for every one destroyed.
void ModuleObjectCreated();
void ModuleObjectDestroyed();
int32_t ModuleObjectCount();

// Full path of the library file, as it was when the library was loaded.
std::string ModulePath();
// Its folder, without a trailing separator.
std::string ModuleFolder();

}  // namespace vig::shell
