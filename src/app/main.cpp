// vignettor: start-up. Records the program's path in the settings store,
// creates the options record (reset, then loaded), and then either runs
// headless ("/h" or "/HIDE" first) or opens the main window.
#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/command_line.h"
#include "options/batch_options.h"
#include "platform/install_layout.h"
#include "platform/paths.h"
#include "platform/qt_profile_store.h"
#include "platform/system.h"
#include "platform/translation.h"
#include "ui/run_windowed.h"

int main(int argc, char** argv) {
    // Pictures and decoder buffers are large and short-lived. Given back to
    // the system as soon as they are freed (a fixed threshold for mapping
    // blocks of their own), they cannot pile up in the heaps of the worker
    // threads, so what the run holds is what its memory budget allows.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    const std::vector<std::string> args(argv, argv + argc);

    // The extension finds the program through this value. Writing makes the
    // settings library rewrite the whole file, so it is written only when it
    // changed: a run leaves the user's file as it was.
    vig::platform::QtProfileStore store;
    const std::string program = vig::platform::ProgramPath();
    if (!program.empty() &&
        store.ReadString(vig::options::kProgramPathSetting, std::string()) != program) {
        store.WriteString(vig::options::kProgramPathSetting, program);
        store.Flush();
    }

    // The user's language, for the command line as for the window.
    vig::LoadCatalogues(vig::platform::TranslationFolders(vig::paths::Directory(program)));

    vig::options::BatchOptions options;
    options.Reset();
    options.Load(store);

    // Headless runs never save the settings: switches and features
    // switched off during the run do not persist.
    if (args.size() > 1 && vig::engine::IsHeadlessWord(args[1]))
        return vig::engine::RunHeadless(args, options, stdout, stderr);

    return vig::ui::RunWindowed(argc, argv, options, store);
}
