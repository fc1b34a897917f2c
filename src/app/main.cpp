// vignettor: start-up. Records the program's path in the settings store,
// creates the options record (reset, then loaded), and then either runs
// headless ("/h" or "/HIDE" first) or opens the main window.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/app_info.h"
#include "options/batch_options.h"
#include "platform/paths.h"
#include "platform/qt_profile_store.h"
#include "platform/system.h"

namespace {

constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "%s - thumbnails in batches\n"
                 "usage:\n"
                 "  vignettor /h /f INPUT-FILE OUTPUT-FILE [switches]\n"
                 "  vignettor /h /d SOURCE-FOLDER OUTPUT-FOLDER [switches]\n",
                 vig::ApplicationTitle().c_str());
}

bool IsHeadlessWord(const std::string& arg) {
    return vig::paths::EqualsIgnoringCase(arg, "/h") ||
           vig::paths::EqualsIgnoringCase(arg, "/HIDE");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);

    vig::platform::QtProfileStore store;
    store.WriteString("VignettorApp", vig::platform::ProgramPath());
    store.Flush();

    vig::BatchOptions options;
    options.Reset();
    options.Load(store);

    if (args.size() > 1 && IsHeadlessWord(args[1])) {
        // The headless modes come with the batch engine.
        PrintUsage(stderr);
        return kExitUsage;
    }
    // No window yet: tell how to run headless.
    PrintUsage(stderr);
    return kExitUsage;
}
