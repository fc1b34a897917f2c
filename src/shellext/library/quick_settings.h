// What one use of the command gathers from the program's settings, shows in
// the quick dialog and hands to the program: the values, the output path of
// each file and the command that makes its thumbnail.
#pragma once

#include <string>
#include <vector>

#include "platform/profile_store.h"

namespace vig::shell {

struct QuickSettings {
    int width = 100;
    int height = 100;
    int outputFormat = 4;
    int resizeMethod = 1;
    int renameStyle = 0;
    std::string destFolder = ".";
    std::string extraText;
    int letterCase = 0;
    bool allowEnlarge = false;
    bool resetOthers = false;  // never stored
    std::string inputFolder;   // the folder of the first selected path
};

// The program to run: the stored "VignettorApp" when a file is there, else
// vignettor beside the library in moduleFolder or in its installation's
// program folder; "" when none exists.
std::string LocateProgram(ProfileStore& store, const std::string& moduleFolder);

// Reads the nine settings in their order; the input folder comes from the
// first selected path.
QuickSettings ReadQuickSettings(ProfileStore& store, const std::vector<std::string>& selection);

// The program's command-line codes of a stored resize method and output
// format (0 for an unknown code).
int ResizeMethodCommandCode(int resizeMethod);
int OutputFormatCommandCode(int outputFormat);

// The thumbnail path of one input: the destination folder, the input's
// title decorated by the rename style, the output format's extension, and
// the letter case applied to the file name. The automatic number looks at
// the files there now.
std::string OutputPathFor(const QuickSettings& settings, const std::string& input);

// Whether output names one of the selected files itself. The file managers
// start the command in the folder of the selection, so the default output
// folder "." with the overwrite style would otherwise replace the originals.
bool OutputReplacesSelection(const std::string& output, const std::vector<std::string>& selection);

// One run of the program for one file.
struct RunCommand {
    std::string program;
    std::string input;
    std::string output;
    bool enlarge = false;
    int resizeCode = 0;
    int formatCode = 0;
    int width = 0;
    int height = 0;
    bool reset = false;

    // The arguments, program first, each path whole.
    std::vector<std::string> Arguments() const;
    // The same as one command-line text:
    // "%s /h /f %s %s %s /r %d /o %d /s %d %d %s", paths unquoted.
    std::string Text() const;
};

RunCommand CommandFor(const QuickSettings& settings, const std::string& program,
                      const std::string& input);

}  // namespace vig::shell
