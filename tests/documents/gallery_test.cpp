// Documents written by a real batch run: every link of every page leads to
// a file that exists, a browser shows every thumbnail, and contact sheets
// are filled, saved and numbered as the run goes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "documents/composite.h"
#include "engine/batch_engine.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;
using test::RecordingHost;
using test::TempDir;

void MakeImage(const std::string& path, int w, int h, int format) {
    fs::create_directories(fs::path(path).parent_path());
    image::CPxImage image;
    ASSERT_EQ(image.MakeCheckerboard(w, h), image::ErrNone);
    ASSERT_EQ(image.Save(path, format), image::ErrNone) << path;
}

std::vector<std::string> HtmlFiles(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && e.path().extension() == ".htm") files.push_back(e.path());
    return files;
}

// The file a browser reads for an attribute value: entities decoded, the
// fragment and query cut off, %XX escapes decoded.
std::string LinkTarget(std::string v) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
        for (size_t at; (at = v.find(from)) != std::string::npos;) v.replace(at, strlen(from), to);
    v = v.substr(0, v.find_first_of("#?"));  // a fragment or query is not part of the file
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '%' && i + 2 < v.size()) {
            out += static_cast<char>(std::stoi(v.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += v[i];
        }
    }
    return out;
}

// Every href and src of every page, resolved against the page's folder;
// returns the targets that do not exist.
std::vector<std::string> BrokenLinks(const std::vector<std::string>& pages, int* links) {
    static const std::regex attr(R"re(\b(href|src)\s*=\s*(?:"([^"]*)"|([^\s>"]+)))re",
                                 std::regex::icase);
    std::vector<std::string> broken;
    *links = 0;
    for (const std::string& page : pages) {
        const std::string text = ReadFileText(page);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), attr);
             it != std::sregex_iterator(); ++it) {
            const std::string value = (*it)[2].matched ? (*it)[2].str() : (*it)[3].str();
            ++*links;
            const fs::path target = fs::path(page).parent_path() / LinkTarget(value);
            if (value.empty() || !fs::exists(target)) broken.push_back(page + " -> " + value);
        }
    }
    return broken;
}

bool HasChromium() {
    return std::system("command -v chromium >/dev/null 2>&1") == 0;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Loads every page into a frame of a checking page in headless Chromium:
// each image must have decoded, each link must fetch. The results come back
// through the dumped document.
std::string BrowserCheck(const std::string& dir, const std::vector<std::string>& pages) {
    std::string list;  // the paths as script strings
    for (const std::string& p : pages) {
        list += '"';
        for (const char c : p)
            list += c == '"' || c == '\\' ? std::string{'\\', c} : std::string{c};
        list += "\",";
    }
    const std::string checker = R"(<!doctype html><html><body><pre id="out"></pre>
<iframe id="f"></iframe><script>
const pages = [)" + list + R"(].map(
  p => "file://" + p.split("/").map(encodeURIComponent).join("/"));
const out = document.getElementById("out"), frame = document.getElementById("f");
function log(s) { out.textContent += s + "\n"; }
async function fetches(url) {
  try { const r = await fetch(url); return r.ok; } catch (e) { return false; }
}
function check(i) {
  if (i >= pages.length) { log("DONE"); return; }
  frame.onload = async () => {
    const doc = frame.contentDocument;
    if (!doc) { log("BROKEN no access to " + pages[i]); return check(i + 1); }
    for (const img of doc.images)
      log((img.complete && img.naturalWidth > 0 ? "IMG-OK " : "BROKEN image ") + img.src);
    for (const a of doc.querySelectorAll("a[href]"))
      log(((await fetches(a.href)) ? "LINK-OK " : "BROKEN link ") + pages[i] + " " + a.href);
    check(i + 1);
  };
  frame.src = pages[i];
}
check(0);
</script></body></html>
)";
    EXPECT_TRUE(test::WriteFileText(dir + "/check.html", checker));
    const std::string command =
        "timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking"
        " --disable-component-update --disable-sync --no-first-run"
        " --allow-file-access-from-files --virtual-time-budget=20000"
        " --user-data-dir=" +
        Quote(dir + "/profile") + " --dump-dom " + Quote(dir + "/check.html") + " >" +
        Quote(dir + "/dump.html") + " 2>/dev/null";
    const int status = std::system(command.c_str());
    // Only what the checking page wrote, not its own script.
    const std::string dump = ReadFileText(dir + "/dump.html");
    const std::string open = "<pre id=\"out\">";
    const size_t from = dump.find(open);
    const size_t to = dump.find("</pre>");
    if (from == std::string::npos || to == std::string::npos || to < from)
        return "chromium ended with status " + std::to_string(status) + ":\n" + dump;
    return dump.substr(from + open.size(), to - from - open.size());
}

// A batch from dir/src to dir/out, run without a window.
class BatchRunTest : public ::testing::Test {
protected:
    BatchRunTest(int width, int height, int format) {
        o.MainSrcPath = src;
        o.MainDestPath = out;
        o.MainWidth = width;
        o.MainHeight = height;
        o.MainResizeMethod = options::BestFit;
        o.MainOutputFormat = format;
        o.OutputRenameStyle = options::Overwrite;
        o.OutputCreateFolder = 1;
    }
    // Every file processed, nothing reported.
    void Run(int files) {
        RecordingHost host(false);
        engine::BatchEngine engine(o, host);
        const engine::BatchSummary s = engine.BatchRun();
        EXPECT_TRUE(s.finished);
        EXPECT_EQ(s.processed, files);
        EXPECT_TRUE(host.silentReports.empty()) << host.silentReports.front();
    }
    TempDir dir;
    const std::string src = dir / "src", out = dir / "out";
    options::BatchOptions o;
};

class Gallery : public BatchRunTest {
protected:
    Gallery() : BatchRunTest(80, 60, options::FormatJpg) {
        // One input per page kind: plain names, a name that needs escaping,
        // a format the pages do not show (BMP), and a sub-folder.
        MakeImage(src + "/a.jpg", 120, 90, options::FormatJpg);
        MakeImage(src + "/b.jpg", 90, 120, options::FormatJpg);
        MakeImage(src + "/c.bmp", 64, 64, options::FormatBmp24);
        MakeImage(src + "/my photo&co #1.jpg", 100, 50, options::FormatJpg);
        MakeImage(src + "/sub/d.png", 50, 100, options::FormatPng24);
        MakeImage(src + "/sub/e.gif", 70, 70, options::FormatGif);
        o.OutputRecurseSrc = 1;
        o.OutputDuplicateSrcTree = 1;
        o.HTMLLog = 1;
        o.HTMLTable = 1;
        o.HTMLTableCols = 2;
        o.HTMLMaxImages = 3;
        o.HTMLWriteTitles = 1;
        o.HTMLMakeSrcLink = 1;
        o.HTMLMakeFileLink = 1;
        o.HTMLMakeIndex = 1;
    }

    void CheckLinksAndBrowser(const std::vector<std::string>& pages, size_t expectedImages) {
        int links = 0;
        const std::vector<std::string> broken = BrokenLinks(pages, &links);
        EXPECT_TRUE(broken.empty()) << broken.front();
        EXPECT_GT(links, 20);

        if (!HasChromium()) {
            std::fprintf(stderr, "chromium is not installed: the browser check is skipped\n");
            GTEST_SKIP() << "chromium is not installed (scripts/setup.sh --test installs it)";
        }
        const std::string dump = BrowserCheck(dir.path(), pages);
        ASSERT_NE(dump.find("DONE"), std::string::npos) << dump;
        EXPECT_EQ(dump.find("BROKEN"), std::string::npos) << dump;
        size_t images = 0;
        for (size_t at = 0; (at = dump.find("IMG-OK", at)) != std::string::npos; ++at) ++images;
        EXPECT_EQ(images, expectedImages) << dump;
    }
};

TEST_F(Gallery, PagesIndexesAndSourcePagesBesideTheThumbnails) {
    o.HTMLMakeSrcPages = options::SourcePagesWithOutput;
    o.HTMLMakeSingleIndex = 1;
    o.HTMLSourceTarget = "_top";
    Run(6);
    const std::vector<std::string> pages = HtmlFiles(out);
    // Two pages in the root (4 files, 3 per page), one in sub, their two
    // folder indexes, the master index and six source pages.
    const std::set<std::string> expected = {out + "/Thumbs0.htm",     out + "/Thumbs1.htm",
                                            out + "/sub/Thumbs0.htm", out + "/_index.htm",
                                            out + "/sub/_index.htm",  out + "/index.htm",
                                            out + "/a.htm",           out + "/b.htm",
                                            out + "/c.htm",           out + "/my photo&co #1.htm",
                                            out + "/sub/d.htm",       out + "/sub/e.htm"};
    EXPECT_EQ(std::set<std::string>(pages.begin(), pages.end()), expected);
    // Every thumbnail on the gallery pages, and the source images the
    // browser can show (JPEG and GIF; PNG and BMP are switched off).
    CheckLinksAndBrowser(pages, 6 + 4);
}

TEST_F(Gallery, SourcePagesBesideTheInputsAndOneMasterIndex) {
    o.HTMLMakeSrcPages = options::SourcePagesWithInput;
    o.HTMLWritePNG = 1;
    o.HTMLTable = 0;
    Run(6);
    std::vector<std::string> pages = HtmlFiles(out);
    const std::vector<std::string> sourcePages = HtmlFiles(src);
    EXPECT_EQ(pages.size(), 4u);  // three gallery pages and the index
    EXPECT_EQ(sourcePages.size(), 6u);
    pages.insert(pages.end(), sourcePages.begin(), sourcePages.end());
    CheckLinksAndBrowser(pages, 6 + 5);
}

std::string Repeat(const std::string& text, int n) {
    std::string out;
    while (n-- > 0) out += text;
    return out;
}

// Contact sheets as the run fills and saves them.
class Sheets : public BatchRunTest {
protected:
    Sheets() : BatchRunTest(20, 20, options::FormatBmp24) {
        o.CompositeMakeComposite = 1;
        o.CompositeFormat = options::FormatBmp24;
    }
    // A saved sheet as text: its size, then '#' for each of its 16 cells
    // that holds a thumbnail (its corner pixel is not the background).
    std::string Sheet(const std::string& name) {
        image::CPxImage sheet;
        if (sheet.Load(dir / name) != image::ErrNone) return "no sheet " + name;
        std::string text = std::to_string(sheet.width()) + "x" + std::to_string(sheet.height());
        for (int k = 0; k < 16; ++k)
            text += sheet.GetPixel(k % 4 * 50 + 10, k / 4 * 50 + 10) != kGrey ? " #" : " .";
        return text;
    }
    static constexpr image::PackedColour kGrey = options::MakeColour(200, 200, 200);
};

TEST_F(Sheets, SeventeenThumbnailsFillOneSheetAndStartAnother) {
    for (int i = 0; i < 17; ++i)
        MakeImage(dir / ("src/" + std::to_string(100 + i) + ".bmp"), 20, 20, options::FormatBmp24);
    Run(17);
    EXPECT_EQ(Sheet("out/Comp0.bmp"), "190x190" + Repeat(" #", 16));
    EXPECT_EQ(Sheet("out/Comp1.bmp"), "190x190 #" + Repeat(" .", 15));
    EXPECT_FALSE(test::FileExists(dir / "out/Comp2.bmp"));
    // The label of the first cell: dark pixels below the thumbnail.
    image::CPxImage first;
    ASSERT_EQ(first.Load(dir / "out/Comp0.bmp"), image::ErrNone);
    int dark = 0;
    for (int y = 30; y < 42; ++y)
        for (int x = 10; x < 60; ++x) dark += options::ColourRed(first.GetPixel(x, y)) < 100;
    EXPECT_GT(dark, 5);
}

TEST_F(Sheets, OneSeriesPerFolderWhenNotWritingToTheRoot) {
    o.OutputRecurseSrc = 1;
    o.OutputDuplicateSrcTree = 1;
    o.CompositeWriteToRoot = 0;
    for (const char* f : {"src/a/1.bmp", "src/a/2.bmp", "src/b/3.bmp"})
        MakeImage(dir / f, 20, 20, options::FormatBmp24);
    Run(3);
    EXPECT_EQ(Sheet("out/a/Comp0.bmp"), "190x190 # #" + Repeat(" .", 14));
    EXPECT_EQ(Sheet("out/b/Comp1.bmp"), "190x190 #" + Repeat(" .", 15));
    EXPECT_FALSE(test::FileExists(dir / "out/Comp0.bmp"));
}

}  // namespace
}  // namespace vig
