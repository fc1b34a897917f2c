#include "shellext/library/quick_settings.h"

#include <climits>
#include <cstdio>

#include "engine/output_naming.h"
#include "options/batch_options.h"
#include "platform/files.h"
#include "platform/install_layout.h"
#include "platform/paths.h"
#include "shellext/shared/shell_texts.h"

namespace vig::shell {
namespace {

int ReadInt32(ProfileStore& store, const char* name, int fallback) {
    const long long v = store.ReadInt(name, fallback);
    return v < INT_MIN || v > INT_MAX ? fallback : static_cast<int>(v);
}

bool IsFile(const std::string& path) {
    return !path.empty() && platform::Exists(path) && !platform::IsFolder(path);
}

}  // namespace

std::string LocateProgram(ProfileStore& store, const std::string& moduleFolder) {
    const std::string stored = store.ReadString(options::kProgramPathSetting, "");
    if (IsFile(stored)) return stored;
    return platform::FindFileIn(platform::ProgramFolders(moduleFolder), kProgramFileName);
}

QuickSettings ReadQuickSettings(ProfileStore& store, const std::vector<std::string>& selection) {
    QuickSettings s;
    s.width = ReadInt32(store, "MainWidth", 100);
    s.height = ReadInt32(store, "MainHeight", 100);
    s.outputFormat = ReadInt32(store, "MainOutputFormat", 4);
    s.resizeMethod = ReadInt32(store, "MainResizeMethod", 1);
    s.renameStyle = ReadInt32(store, "OutputRenameStyle", 0);
    s.destFolder = store.ReadString("MainDestPath", ".");
    s.extraText = store.ReadString("OutputExtraText", "");
    s.letterCase = ReadInt32(store, "OutputCase", 0);
    s.allowEnlarge = ReadInt32(store, "MainEnlarge", 0) == 1;
    s.resetOthers = false;
    if (!selection.empty())
        s.inputFolder = paths::StripTrailingSeparator(paths::Directory(selection[0]));
    return s;
}

int ResizeMethodCommandCode(int resizeMethod) {
    static constexpr int kCodes[] = {6, 0, 1, 2, 3, 4, 5};
    return resizeMethod >= 0 && resizeMethod <= 6 ? kCodes[resizeMethod] : 0;
}

int OutputFormatCommandCode(int outputFormat) {
    // Stored codes 1 to 19; the program's numbering puts GIF before PCX.
    static constexpr int kCodes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8, 9,
                                     10, 11, 12, 13, 16, 17, 18, 14, 15};
    return outputFormat >= 1 && outputFormat <= 19 ? kCodes[outputFormat - 1] : 0;
}

std::string OutputPathFor(const QuickSettings& settings, const std::string& input) {
    const std::string title = paths::Title(paths::FileName(input));
    const std::string base =
        paths::StripTrailingSeparator(settings.destFolder) + paths::kSeparator + title;
    const std::string ext = engine::OutputExtension(paths::Extension(input), settings.outputFormat);
    const std::string output = engine::BuildOutputName(base, ext, settings.renameStyle,
                                                       settings.extraText, settings.letterCase);
    return engine::ApplyOutputCase(output, settings.letterCase);
}

bool OutputReplacesSelection(const std::string& output, const std::vector<std::string>& selection) {
    platform::FileIdentity out, in;
    if (!platform::IdentityOf(output, &out)) return false;
    for (const std::string& path : selection)
        if (platform::IdentityOf(path, &in) && in == out) return true;
    return false;
}

std::vector<std::string> RunCommand::Arguments() const {
    std::vector<std::string> args = {program, "/h", "/f", input, output};
    if (enlarge) args.push_back("/n");
    for (const std::string& a : {std::string("/r"), std::to_string(resizeCode), std::string("/o"),
                                 std::to_string(formatCode), std::string("/s"),
                                 std::to_string(width), std::to_string(height)})
        args.push_back(a);
    if (reset) args.push_back(kResetText);
    return args;
}

std::string RunCommand::Text() const {
    const char* enlargeText = enlarge ? kEnlargeText : "";
    const char* resetText = reset ? kResetText : "";
    const int n = std::snprintf(nullptr, 0, kCommandLineFormat, program.c_str(), input.c_str(),
                                output.c_str(), enlargeText, resizeCode, formatCode, width, height,
                                resetText);
    std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, kCommandLineFormat, program.c_str(), input.c_str(),
                  output.c_str(), enlargeText, resizeCode, formatCode, width, height, resetText);
    return text;
}

RunCommand CommandFor(const QuickSettings& settings, const std::string& program,
                      const std::string& input) {
    RunCommand c;
    c.program = program;
    c.input = input;
    c.output = OutputPathFor(settings, input);
    c.enlarge = settings.allowEnlarge;
    c.resizeCode = ResizeMethodCommandCode(settings.resizeMethod);
    c.formatCode = OutputFormatCommandCode(settings.outputFormat);
    c.width = settings.width;
    c.height = settings.height;
    c.reset = settings.resetOthers;
    return c;
}

}  // namespace vig::shell
