// The overlay page's preview: what it shows (fitted as it always was, large
// pictures reduced while they are read), when it reads (only on screen, on a
// thread of its own, the newest request winning) and what it says when it
// cannot show the file.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on
#include <png.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "engine/batch_engine.h"
#include "image/codec_table.h"
#include "image/cpx_image.h"
#include "image/image_library.h"
#include "platform/paths.h"
#include "support/row_jpeg.h"
#include "support/temp_dir.h"
#include "ui/options_sheet.h"
#include "ui/overlay_preview.h"
#include "ui/pages/overlay_page.h"
#include "ui_overlay_page.h"

namespace vig::ui {
namespace {

using test::WriteJpeg;

constexpr int kOverlayPage = 5;
const options::Colour kRed = options::MakeColour(255, 0, 0);
const options::Colour kBlue = options::MakeColour(0, 0, 255);

// A picture whose left half is `left` and right half `right`, saved in
// `format`.
std::string WriteHalves(const test::TempDir& dir, const std::string& name, int width, int height,
                        int format, options::Colour left = kRed, options::Colour right = kBlue) {
    image::PixelBlock block;
    EXPECT_TRUE(block.AllocateRgb(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const options::Colour c = x < width / 2 ? left : right;
            uint8_t* p = block.data() + (static_cast<size_t>(y) * width + x) * 3;
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    image::CPxImage image;
    image.Adopt(std::move(block), width, height);
    const std::string path = dir / name;
    EXPECT_EQ(image.Save(path, format), image::ErrNone);
    return path;
}

// A grey ramp from black to 198 along the rows.
std::string WriteRamp(const test::TempDir& dir, const std::string& name, int width, int height) {
    image::PixelBlock block;
    EXPECT_TRUE(block.AllocateRgb(width, height));
    for (size_t i = 0; i < block.size(); ++i)
        block.data()[i] = static_cast<uint8_t>(i / 3 % static_cast<size_t>(width) * 200 / width);
    image::CPxImage image;
    image.Adopt(std::move(block), width, height);
    const std::string path = dir / name;
    EXPECT_EQ(image.Save(path, options::FormatBmp24), image::ErrNone);
    return path;
}

// What the preview showed before it read in the background: the whole
// picture read, fitted by resampling `kind` (0: none) and, with `keep`,
// posterized to 3 colours: first when it fits, after the reduction else.
QImage Expected(const std::string& path, QSize size, int kind,
                const options::Colour* keep = nullptr) {
    image::CPxImage image;
    image::ErrorCode code = image.Load(path);
    if (code == image::ErrNone && keep != nullptr && kind == 0) code = image.Posterize(3, *keep);
    if (code == image::ErrNone && kind != 0) code = image.Resize(size.width(), size.height(), kind);
    if (code == image::ErrNone && keep != nullptr && kind != 0) code = image.Posterize(3, *keep);
    EXPECT_EQ(code, image::ErrNone) << path;
    return QImage(image.data(), image.width(), image.height(), image.width() * 3,
                  QImage::Format_RGB888)
        .copy();
}

std::set<QRgb> Colours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return colours;
}

// Runs the window's thread until `done` holds (at most 20 s).
bool RunUntil(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

bool Settle(const COverlayPreview& preview) {
    return RunUntil([&] { return !preview.reading(); });
}

// A 1-bit grey PNG written row by row: a huge picture in a small file.
void WriteHugePng(const std::string& path, int width, int height) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 1,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    std::vector<uint8_t> line(static_cast<size_t>(width + 7) / 8);
    for (int y = 0; y < height; ++y) {
        std::fill(line.begin(), line.end(), static_cast<uint8_t>(y < height / 2 ? 0xF0 : 0x00));
        png_write_row(png, line.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::stol(line.substr(key.size()));
    return -1;
}

// Starts the process's peak memory afresh at what it holds now.
bool ResetPeakMemory() {
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return out.good();
}

// A read that waits (at most 10 s) until released, ending early when its
// request is superseded; counts the reads started and those ended early.
class SlowReads {
public:
    explicit SlowReads(bool slow = true) : release_(!slow) {
        COverlayPreview::SetDecodeHook([this](const std::string&) {
            ++started;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!release_ && std::chrono::steady_clock::now() < until) {
                if (image::StopRequestedNow()) {
                    ++stopped;
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~SlowReads() {
        release_ = true;
        EXPECT_TRUE(COverlayPreview::WaitForDecodes(20000));
        COverlayPreview::SetDecodeHook({});
    }
    void Release() { release_ = true; }
    void Hold() { release_ = false; }

    std::atomic<int> started{0};
    std::atomic<int> stopped{0};

private:
    std::atomic<bool> release_;
};

TEST(OverlayPreview, FitsAsBeforeReducingLargePicturesAsTheyAreRead) {
    test::TempDir dir;
    const std::string small = WriteHalves(dir, "small.bmp", 8, 4, options::FormatBmp24);
    const std::string wideBmp = WriteHalves(dir, "wide.bmp", 400, 100, options::FormatBmp24);
    const std::string wideJpg = WriteHalves(dir, "wide.jpg", 400, 100, options::FormatJpg);
    const std::string ramp = WriteRamp(dir, "ramp.bmp", 100, 50);
    const std::string bigRamp = WriteRamp(dir, "big-ramp.bmp", 400, 200);
    const options::Colour keep = options::MakeColour(7, 7, 7);

    COverlayPreview preview;
    preview.setFrameStyle(QFrame::NoFrame);
    preview.resize(100, 80);
    preview.show();

    struct Case {
        const std::string& path;
        QSize box;
        QSize shown;
        int kind;  // of the fitting that gives what is shown
        bool posterize;
    };
    const Case cases[] = {
        {small, {100, 80}, {100, 50}, 1, false},     // enlarged: bilinear
        {wideBmp, {100, 80}, {100, 25}, 2, false},   // box average, after reading
        {wideJpg, {100, 80}, {100, 25}, 2, false},   // box average, while reading
        {wideJpg, {200, 160}, {200, 50}, 2, false},  // read again for the new box
        {ramp, {100, 50}, {100, 50}, 0, true},       // as the run posterizes it
        {bigRamp, {100, 50}, {100, 50}, 2, true},    // reduced, then posterized
    };
    std::string shown;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " in " + std::to_string(c.box.width()));
        preview.resize(c.box);
        preview.setPosterize(c.posterize, 3, keep);
        if (c.path != shown) preview.setImagePath(QString::fromStdString(c.path));
        shown = c.path;
        ASSERT_TRUE(Settle(preview));
        ASSERT_TRUE(preview.hasImage());
        if (c.posterize) {
            const std::set<QRgb> colours = Colours(preview.shownImage());
            EXPECT_EQ(colours.size(), 3u);
            EXPECT_EQ(colours.count(qRgb(7, 7, 7)), 1u);  // the kept colour stays exact
        }
        EXPECT_EQ(preview.shownImage(),
                  Expected(c.path, c.shown, c.kind, c.posterize ? &keep : nullptr));
        const QSize box = c.box;
        EXPECT_EQ(preview.shownRect(), QRect(QPoint((box.width() - c.shown.width()) / 2,
                                                    (box.height() - c.shown.height()) / 2),
                                             c.shown));
    }
    // Posterizing ends without reading again.
    preview.setPosterize(false, 3, keep);
    EXPECT_FALSE(preview.reading());
    EXPECT_EQ(preview.shownImage(), Expected(bigRamp, {100, 50}, 2));

    for (const std::string& bad : {std::string(), dir / "missing.bmp", dir.path()}) {
        preview.setImagePath(QString::fromStdString(bad));
        ASSERT_TRUE(Settle(preview));
        EXPECT_FALSE(preview.hasImage()) << bad;
        EXPECT_FALSE(preview.loading()) << bad;
        EXPECT_NE(preview.loadError(), image::ErrNone) << bad;
        EXPECT_TRUE(preview.shownImage().isNull());
    }
}

TEST(OverlayPreview, PicksTheTransparentColourWhileTheButtonIsHeld) {
    test::TempDir dir;
    const std::string path = WriteHalves(dir, "overlay.bmp", 64, 32, options::FormatBmp24);
    options::BatchOptions options;
    options.OverlayOverlay = 1;
    options.OverlayPath = path;
    CMySheet sheet(options);
    sheet.showPage(kOverlayPage);
    sheet.show();
    auto& ui = sheet.overlayPage()->ui();
    COverlayPreview* preview = ui.preview;
    ASSERT_TRUE(Settle(*preview));
    ASSERT_TRUE(preview->hasImage());
    EXPECT_TRUE(ui.previewStatus->text().isEmpty());
    EXPECT_EQ(preview->cursor().shape(), Qt::BitmapCursor);

    const QRect r = preview->shownRect();
    const QPoint left(r.left() + 2, r.center().y()), right(r.right() - 2, r.center().y());
    QTest::mousePress(preview, Qt::LeftButton, {}, left);
    EXPECT_EQ(ui.transColour->colour(), kRed);
    QMouseEvent move(QEvent::MouseMove, right, preview->mapToGlobal(right), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(preview, &move);
    EXPECT_EQ(ui.transColour->colour(), kBlue);
    QTest::mouseRelease(preview, Qt::LeftButton, {}, right);
    QMouseEvent after(QEvent::MouseMove, left, preview->mapToGlobal(left), Qt::NoButton,
                      Qt::NoButton, {});
    QApplication::sendEvent(preview, &after);
    EXPECT_EQ(ui.transColour->colour(), kBlue);

    ui.path->setText(QString::fromStdString(dir / "none.png"));
    emit ui.path->editingFinished();
    EXPECT_NE(preview->cursor().shape(), Qt::BitmapCursor);  // nothing to pick while reading
    ASSERT_TRUE(Settle(*preview));
    EXPECT_EQ(ui.previewStatus->text(), "Invalid Image");
    EXPECT_NE(preview->cursor().shape(), Qt::BitmapCursor);
    sheet.accept();
    EXPECT_EQ(options.OverlayTransColor, kBlue);
}

TEST(OverlayPreview, TheSheetReadsTheOverlayOnlyOnceItsPageIsShown) {
    test::TempDir dir;
    SlowReads reads(false);
    options::BatchOptions options;
    options.OverlayOverlay = 0;  // read or not, whether the overlay is on
    options.OverlayPath = WriteHalves(dir, "overlay.bmp", 64, 32, options::FormatBmp24);
    CMySheet sheet(options);
    sheet.show();
    QApplication::processEvents();
    auto& ui = sheet.overlayPage()->ui();
    EXPECT_TRUE(COverlayPreview::WaitForDecodes(5000));
    EXPECT_EQ(reads.started, 0);
    EXPECT_FALSE(ui.preview->hasImage());
    EXPECT_TRUE(ui.preview->loading());
    EXPECT_TRUE(ui.previewStatus->text().isEmpty());  // no failure said before reading

    ASSERT_TRUE(sheet.showPage(kOverlayPage));
    ASSERT_TRUE(Settle(*ui.preview));
    EXPECT_TRUE(ui.preview->hasImage());
    EXPECT_EQ(reads.started, 1);
    // Coming back to the page shows what was read.
    ASSERT_TRUE(sheet.showPage(0));
    ASSERT_TRUE(sheet.showPage(kOverlayPage));
    ASSERT_TRUE(Settle(*ui.preview));
    EXPECT_EQ(reads.started, 1);
    EXPECT_TRUE(ui.preview->hasImage());
}

TEST(OverlayPreview, ASlowReadNeitherHoldsUpTheWindowNorOutlivesItsRequest) {
    test::TempDir dir;
    const std::string red = WriteHalves(dir, "red.bmp", 64, 32, options::FormatBmp24, kRed, kRed);
    const std::string blue =
        WriteHalves(dir, "blue.bmp", 64, 32, options::FormatBmp24, kBlue, kBlue);
    SlowReads reads;
    options::BatchOptions options;
    options.OverlayOverlay = 1;
    options.OverlayPath = red;
    auto* sheet = new CMySheet(options);
    sheet->show();
    auto& ui = sheet->overlayPage()->ui();
    ASSERT_TRUE(sheet->showPage(kOverlayPage));

    // The window's thread goes on with its events while the read waits.
    bool ticked = false;
    QTimer::singleShot(20, [&] { ticked = true; });
    ASSERT_TRUE(RunUntil([&] { return ticked && reads.started == 1; }));
    EXPECT_TRUE(ui.preview->reading());
    EXPECT_FALSE(ui.preview->hasImage());

    // Another file supersedes the read: it ends early, and only the newer
    // one is shown.
    ui.path->setText(QString::fromStdString(blue));
    emit ui.path->editingFinished();
    ASSERT_TRUE(RunUntil([&] { return reads.started == 2; }));
    EXPECT_EQ(reads.stopped, 1);
    reads.Release();
    ASSERT_TRUE(Settle(*ui.preview));
    ASSERT_TRUE(ui.preview->hasImage());
    EXPECT_EQ(Colours(ui.preview->shownImage()), std::set<QRgb>{qRgb(0, 0, 255)});

    // Closing the sheet during a read neither waits for it nor leaves it
    // running on.
    reads.Hold();
    ui.path->setText(QString::fromStdString(red));
    emit ui.path->editingFinished();
    ASSERT_TRUE(RunUntil([&] { return reads.started == 3; }));
    QElapsedTimer closing;
    closing.start();
    sheet->reject();
    delete sheet;
    EXPECT_LT(closing.elapsed(), 2000);
    EXPECT_TRUE(COverlayPreview::WaitForDecodes(5000));
    EXPECT_EQ(reads.stopped, 2);
    QApplication::processEvents();  // a result of the closed sheet goes nowhere
}

// The preview holds a fraction of the picture while reading it, with every
// reader that reduces while reading; the others are left out until they do.
TEST(OverlayPreview, HugePicturesAreReducedWhileRead) {
    test::TempDir dir;
    struct Case {
        const char* name;
        int width, height;
        std::function<void(const std::string&)> write;
    };
    const Case cases[] = {
        {"huge.jpg", 6000, 6000,
         [](const std::string& path) {
             WriteJpeg(path, 6000, 6000, false, [](int y, uint8_t* row) {
                 for (int x = 0; x < 6000; ++x) {
                     row[3 * x] = x < 3000 ? 200 : 20;
                     row[3 * x + 1] = y < 3000 ? 180 : 40;
                     row[3 * x + 2] = 90;
                 }
             });
         }},
        {"huge.png", 20000, 20000,
         [](const std::string& path) { WriteHugePng(path, 20000, 20000); }},
    };
    COverlayPreview preview;
    preview.setFrameStyle(QFrame::NoFrame);
    preview.resize(200, 150);
    preview.show();
    int tried = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const image::ReaderEntry* reader = image::FindReader(paths::Extension(c.name));
        ASSERT_NE(reader, nullptr);
        if (reader->readHinted == nullptr) continue;  // reads the whole picture as yet
        ++tried;
        const std::string path = dir / c.name;
        c.write(path);
        ASSERT_TRUE(ResetPeakMemory());
        const long before = StatusKb("VmRSS");
        preview.setImagePath(QString::fromStdString(path));
        ASSERT_TRUE(Settle(preview));
        const long peak = StatusKb("VmHWM");
        ASSERT_TRUE(preview.hasImage());
        EXPECT_EQ(preview.shownImage().size(), QSize(150, 150));
        const long wholeKb =
            static_cast<long>(static_cast<long long>(c.width) * c.height * 3 / 1024);
        EXPECT_LT(peak - before, wholeKb / 8) << "peak " << peak << " kB, before " << before;
        preview.setImagePath(QString());
    }
    EXPECT_GE(tried, 1);
}

// A JPEG of several scans whose header claims width x height: its
// coefficients alone would exceed any budget.
void WriteOversizedProgressiveJpeg(const std::string& path, int width, int height) {
    WriteJpeg(path, 16, 16, true, [](int, uint8_t* row) { std::fill(row, row + 48, 128); });
    std::vector<uint8_t> bytes = test::ReadFileBytes(path);
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2) {
            bytes[i + 5] = static_cast<uint8_t>(height >> 8);
            bytes[i + 6] = static_cast<uint8_t>(height);
            bytes[i + 7] = static_cast<uint8_t>(width >> 8);
            bytes[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    ASSERT_TRUE(test::WriteFileBytes(path, bytes));
}

TEST(OverlayPreview, TheStatusSaysWhyThereIsNoPicture) {
    test::TempDir dir;
    const std::string good = WriteHalves(dir, "good.bmp", 64, 32, options::FormatBmp24);
    ASSERT_TRUE(test::WriteFileText(dir / "garbage.png", "not a picture at all"));
    WriteOversizedProgressiveJpeg(dir / "oversized.jpg", 60000, 60000);
    options::BatchOptions options;
    options.OverlayOverlay = 1;
    CMySheet sheet(options);
    sheet.show();
    ASSERT_TRUE(sheet.showPage(kOverlayPage));
    auto& ui = sheet.overlayPage()->ui();
    const struct {
        std::string path;
        const char* status;
    } cases[] = {
        {good, ""},
        {dir / "missing.png", "Invalid Image"},
        {dir / "garbage.png", "Invalid Image"},
        {"", "Invalid Image"},
        {dir / "oversized.jpg", "Out of memory"},
    };
    for (const auto& c : cases) {
        ui.path->setText(QString::fromStdString(c.path));
        emit ui.path->editingFinished();
        ASSERT_TRUE(Settle(*ui.preview)) << c.path;
        EXPECT_EQ(ui.previewStatus->text().toStdString(), c.status) << c.path;
        EXPECT_EQ(ui.preview->hasImage(), *c.status == '\0') << c.path;
    }
}

}  // namespace
}  // namespace vig::ui
