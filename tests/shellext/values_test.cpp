// What one use of the command hands to the program: the settings read, the
// output paths and the command line built from them; and the texts of the
// registration store and the class identifier.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "engine/command_line.h"
#include "shellext/library/quick_settings.h"
#include "shellext/shared/com_layout.h"
#include "shellext/shared/registry_file.h"
#include "support/temp_dir.h"

namespace vig::shell {
namespace {

using test::TempDir;
using test::WriteFileText;

QuickSettings Settings(const std::string& dest, int format, int method, int style = 0) {
    QuickSettings s;
    s.destFolder = dest;
    s.outputFormat = format;
    s.resizeMethod = method;
    s.renameStyle = style;
    return s;
}

TEST(QuickCommand, TheWorkedExampleAsTextAndAsArguments) {
    QuickSettings s = Settings("/Out/", 4, 1);
    s.width = 120;
    s.height = 90;
    s.allowEnlarge = true;
    const RunCommand c = CommandFor(s, "/P/vignettor", "/In/a.jpg");
    EXPECT_EQ(c.Text(), "/P/vignettor /h /f /In/a.jpg /Out/a.jpg  /n  /r 0 /o 3 /s 120 90 ");
    EXPECT_EQ(c.Arguments(),
              (std::vector<std::string>{"/P/vignettor", "/h", "/f", "/In/a.jpg", "/Out/a.jpg", "/n",
                                        "/r", "0", "/o", "3", "/s", "120", "90"}));
    s.allowEnlarge = false;
    s.resetOthers = true;
    const RunCommand r = CommandFor(s, "/P/vignettor", "/In/my photo.jpg");
    EXPECT_EQ(r.Text(),
              "/P/vignettor /h /f /In/my photo.jpg /Out/my photo.jpg  /r 0 /o 3 /s 120 90 /x");
    EXPECT_EQ(r.Arguments()[3], "/In/my photo.jpg");
    EXPECT_EQ(r.Arguments().back(), "/x");
}

TEST(QuickCommand, CodesAreTheExactInverseOfTheProgramsDecoding) {
    for (int format = 1; format <= 19; ++format)
        EXPECT_EQ(engine::OutputFormatFromCode(OutputFormatCommandCode(format)), format) << format;
    for (int method = 0; method <= 6; ++method)
        EXPECT_EQ(engine::ResizeMethodFromCode(ResizeMethodCommandCode(method)), method) << method;
    EXPECT_EQ(OutputFormatCommandCode(18), 14);
    EXPECT_EQ(ResizeMethodCommandCode(0), 6);
    for (int unknown : {0, 20, -1}) EXPECT_EQ(OutputFormatCommandCode(unknown), 0);
    for (int unknown : {7, -1}) EXPECT_EQ(ResizeMethodCommandCode(unknown), 0);
}

TEST(QuickCommand, OutputPaths) {
    const struct {
        QuickSettings settings;
        int letterCase;
        const char* input;
        const char* expected;
    } rows[] = {
        {Settings("/Out/", 1, 1), 0, "/In/b.Png", "/Out/b.PNG"},
        {Settings("/Out", 2, 1), 0, "/In/b.xyz", "/Out/b."},
        {Settings("/Out", 3, 1), 0, "/In/noext", "/Out/noext."},
        {Settings("/Out/MiXed", 4, 1), 2, "/In/photo.jpg", "/Out/MiXed/PHOTO.JPG"},
        {Settings("/Out", 1, 1), 1, "/In/Photo.GIF", "/Out/photo.gif"},
        {Settings(".", 4, 1), 0, "/In/photo.jpg", "./photo.jpg"},
        {Settings("/", 18, 1), 0, "/In/a.b.bmp", "/a.b.gif"},
        {Settings("/Out", 9, 1, 1), 0, "/In/a.jpg", "/Out/th_a.png"},
        // Formats without a writer: JPEG files for "same as input".
        {Settings("/Out", 1, 1), 0, "/In/c.HEIC", "/Out/c.JPG"},
        {Settings("/Out", 2, 1), 0, "/In/d.avif", "/Out/d.JPG"},
        {Settings("/Out", 3, 1), 1, "/In/E.webp", "/Out/e.jpg"},
        {Settings("/Out", 9, 1), 0, "/In/f.hif", "/Out/f.png"},
    };
    for (auto r : rows) {
        r.settings.letterCase = r.letterCase;
        r.settings.extraText = "th_";
        EXPECT_EQ(OutputPathFor(r.settings, r.input), r.expected) << r.input;
    }
}

TEST(QuickCommand, AutomaticNumberCountsPastExistingFilesUnderTheirFinalNames) {
    TempDir dir;
    QuickSettings s = Settings(dir.path(), 4, 1, 3);
    s.letterCase = 2;
    EXPECT_EQ(OutputPathFor(s, "/In/pic.jpg"), dir / "PIC.JPG");
    WriteFileText(dir / "PIC.JPG", "taken");
    std::filesystem::create_directory(dir / "PIC1.JPG");
    EXPECT_EQ(OutputPathFor(s, "/In/pic.jpg"), dir / "PIC2.JPG");
}

TEST(QuickCommand, NeverWritesOverASelectedFile) {
    TempDir dir;
    WriteFileText(dir / "a.jpg", "original");
    WriteFileText(dir / "b.png", "original");
    const std::vector<std::string> selection = {dir / "a.jpg", dir / "b.png"};
    EXPECT_TRUE(OutputReplacesSelection(dir / "a.jpg", selection));
    EXPECT_TRUE(OutputReplacesSelection(dir.path() + "/./a.jpg", selection));
    EXPECT_FALSE(OutputReplacesSelection(dir / "b.jpg", selection));
    WriteFileText(dir / "c.jpg", "an older thumbnail");
    EXPECT_FALSE(OutputReplacesSelection(dir / "c.jpg", selection));
}

TEST(QuickSettings, ReadsTheNineSettingsAsTheProgramStoresThem) {
    MemoryProfileStore store;
    EXPECT_EQ(ReadQuickSettings(store, {"/In/sub/a.jpg", "/Other/b.jpg"}).inputFolder, "/In/sub");
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"MainWidth", "640"},
                                                          {"MainHeight", "99999999999"},
                                                          {"MainOutputFormat", "18"},
                                                          {"MainResizeMethod", "0"},
                                                          {"OutputRenameStyle", "3"},
                                                          {"MainDestPath", "/Out"},
                                                          {"OutputExtraText", "th_"},
                                                          {"OutputCase", "2"},
                                                          {"MainEnlarge", "2"}})
        store.WriteString(name, value);
    const QuickSettings s = ReadQuickSettings(store, {"a.jpg"});
    EXPECT_EQ(std::make_tuple(s.width, s.height, s.outputFormat, s.resizeMethod, s.renameStyle,
                              s.destFolder, s.extraText, s.letterCase, s.allowEnlarge),
              std::make_tuple(640, 100, 18, 0, 3, std::string("/Out"), std::string("th_"), 2,
                              false));  // a height beyond int: the default; enlarge only at 1
    EXPECT_EQ(s.inputFolder, "");
    store.WriteInt("MainEnlarge", 1);
    EXPECT_TRUE(ReadQuickSettings(store, {}).allowEnlarge);
}

TEST(QuickSettings, FindsTheProgramStoredElseBesideTheLibrary) {
    TempDir dir;
    std::filesystem::create_directories(dir / "lib");
    std::filesystem::create_directories(dir / "stored");
    MemoryProfileStore store;
    EXPECT_EQ(LocateProgram(store, dir / "lib"), "");
    WriteFileText(dir / "lib/vignettor", "");
    EXPECT_EQ(LocateProgram(store, dir / "lib"), dir / "lib/vignettor");
    store.WriteString("VignettorApp", dir / "stored");  // a folder is no program
    EXPECT_EQ(LocateProgram(store, dir / "lib/"), dir / "lib/vignettor");
    WriteFileText(dir / "stored/vignettor", "");
    store.WriteString("VignettorApp", dir / "stored/vignettor");
    EXPECT_EQ(LocateProgram(store, dir / "lib"), dir / "stored/vignettor");
}

TEST(RegistrationStore, ReadsWhatItWritesAndSkipsDamagedLines) {
    RegistryFile store("unused");
    store.CreateKey("CLSID/{X}/InProcServer32");
    store.SetValue("CLSID/{X}/InProcServer32", "", "/odd \"path\"\\with\nbreak");
    store.SetValue("clsid/{x}/inprocserver32", "ThreadingModel", "Apartment");
    EXPECT_FALSE(store.DeleteKey("CLSID/{X}"));  // it still has a subkey
    EXPECT_FALSE(store.SetValue("Nowhere", "", "x"));
    RegistryFile copy("unused");
    ASSERT_TRUE(copy.FromText(store.ToText()));
    std::string data;
    ASSERT_TRUE(copy.GetValue("CLSID/{X}/InProcServer32", "", &data));
    EXPECT_EQ(data, "/odd \"path\"\\with\nbreak");
    ASSERT_TRUE(copy.GetValue("CLSID/{X}/InProcServer32", "threadingmodel", &data));
    EXPECT_EQ(data, "Apartment");
    EXPECT_TRUE(copy.HasKey("CLSID"));
    EXPECT_TRUE(copy.DeleteKey("CLSID/{X}/InProcServer32"));
    EXPECT_TRUE(copy.DeleteKey("CLSID/{X}"));
    EXPECT_FALSE(copy.DeleteKey("CLSID/{X}"));

    // A damaged line is skipped, and so are the values of a key whose line
    // is damaged; every good line is kept.
    const struct {
        const char* text;
        std::vector<int> skipped;
        const char* kept;  // the store written back, after its header
    } rows[] = {
        {"@=\"value before any key\"\n[Key]\n@=\"v\"\n", {1}, "[Key]\n@=\"v\"\n"},
        {"[Key]\nname=\"unquoted name\"\n\"n\"=\"v\"\n", {2}, "[Key]\n\"n\"=\"v\"\n"},
        {"[Key]\n@=\"unterminated\n", {2}, "[Key]\n"},
        {"[Key]\n@=\"bad \\q escape\"\n", {2}, "[Key]\n"},
        {"[Key]\n@=\"x\" trailing\r\n", {2}, "[Key]\n"},
        {"[]\n@=\"lost\"\n[Key]\n", {1, 2}, "[Key]\n"},
        {"[Key]\n@=\"v\"\n[Other\n@=\"lost\"\n;note\n[Key2]\n@=\"w\"\n",
         {3, 4},
         "[Key]\n@=\"v\"\n\n[Key2]\n@=\"w\"\n"},
        {"\xff\xfe binary", {1}, ""},
    };
    for (const auto& r : rows) {
        RegistryFile f("unused");
        EXPECT_FALSE(f.FromText(r.text)) << r.text;
        EXPECT_EQ(f.skippedLines(), r.skipped) << r.text;
        const std::string text = f.ToText();
        EXPECT_EQ(text.substr(text.find('\n') + 1), std::string(*r.kept ? "\n" : "") + r.kept)
            << r.text;
    }
}

TEST(RegistrationStore, ClassIdentifiersReadBackFromTheirText) {
    GUID g{};
    ASSERT_TRUE(GuidFromString("{6f1d3c52-8b27-4e9a-a41f-3d95c27b60e8}", &g));
    EXPECT_EQ(GuidToString(g), "{6F1D3C52-8B27-4E9A-A41F-3D95C27B60E8}");
    EXPECT_TRUE(IsEqualGUID(g, CLSID_ShellExtension));
    for (const char* bad :
         {"", "{6F1D3C52-8B27-4E9A-A41F-3D95C27B60E}", "{6F1D3C52-8B27-4E9A-A41F+3D95C27B60E8}",
          "{6F1D3C52-8B27-4E9A-A41F-3D95C27B60EG}"})
        EXPECT_FALSE(GuidFromString(bad, &g)) << bad;
}

}  // namespace
}  // namespace vig::shell
