// Whether the toolkit has a display to open windows on (an X server, a
// Wayland compositor, or a platform named for it). Without one, Qt aborts
// on start; the programs say so in a sentence instead. Header-only, so
// that the launcher, which links no toolkit, can ask too.
#pragma once

#include <cstdlib>

namespace vig::ui {

inline bool HasDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace vig::ui
