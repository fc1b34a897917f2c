// The main window driven as a person would, with message boxes, choosers
// and the browser behind fakes, and real batches over small images.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <filesystem>
#include <functional>

#include "engine/app_info.h"
#include "engine/report.h"
#include "image/cpx_image.h"
#include "support/temp_dir.h"
#include "ui/drop_edit.h"
#include "ui/main_window.h"
#include "ui/window_host.h"
#include "widgets/busy_window.h"
#include "widgets/help.h"
#include "widgets/message_boxes.h"
#include "widgets/picture_button.h"

namespace vig::ui {
namespace {

namespace fs = std::filesystem;

struct ShownBox {
    QString caption, text;
    widgets::MessageIcon icon;
    widgets::MessageButtons buttons;
};

class FakeMessages final : public widgets::MessageBoxes {
public:
    FakeMessages() { widgets::SetMessages(this); }
    ~FakeMessages() override { widgets::SetMessages(nullptr); }
    widgets::MessageAnswer Show(QWidget*, const QString& caption, const QString& text,
                                widgets::MessageIcon icon,
                                widgets::MessageButtons buttons) override {
        shown.push_back({caption, text, icon, buttons});
        return answer;
    }
    std::vector<ShownBox> shown;
    widgets::MessageAnswer answer = widgets::MessageAnswer::Ok;
};

class FakeBrowser final : public widgets::HelpOpener {
public:
    FakeBrowser() { widgets::SetHelpOpener(this); }
    ~FakeBrowser() override { widgets::SetHelpOpener(nullptr); }
    void Open(const QUrl& url) override { opened.push_back(url); }
    std::vector<QUrl> opened;
};

class TestWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    std::function<bool(options::BatchOptions&)> sheet;
    QString folderAnswer;
    QString folderTitle;

protected:
    bool RunOptionsSheet(options::BatchOptions& options) override {
        return sheet ? sheet(options) : false;
    }
    QString ChooseFolder(const QString& title, const QString&) override {
        folderTitle = title;
        return folderAnswer;
    }
};

void WritePng(const std::string& path, int w = 64, int h = 48) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
}

int FileCount(const std::string& folder) {
    int n = 0;
    if (fs::is_directory(folder))
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

// Calls back when the watched widget is shown.
class OnShow : public QObject {
public:
    explicit OnShow(std::function<void()> call) : call_(std::move(call)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) call_();
        return false;
    }

private:
    std::function<void()> call_;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "in");
        fs::create_directories(dir / "out");
        options.Reset();
        options.MainSrcPath = dir / "in";
        options.MainDestPath = dir / "out";
        options.OutputRenameStyle = options::Overwrite;
        window = std::make_unique<TestWindow>(options, store);
        window->show();
    }
    template <class W>
    W* Find(const char* name) {
        W* w = window->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void MakeImages(int count) {
        for (int i = 0; i < count; ++i) WritePng(dir / ("in/p" + std::to_string(i) + ".png"));
    }
    // Presses Start and runs `during` at the first pump after the run shows
    // its busy window.
    void StartWith(const std::function<void()>& during) {
        bool ran = false;
        OnShow watch([&] { QTimer::singleShot(0, window.get(), [&] { ran = true, during(); }); });
        window->progressWindow()->installEventFilter(&watch);
        Find<QPushButton>("startButton")->click();
        window->progressWindow()->removeEventFilter(&watch);
        EXPECT_TRUE(ran) << "the run showed its busy window";
    }

    test::TempDir dir;
    MemoryProfileStore store;
    options::BatchOptions options;
    FakeMessages boxes;
    std::unique_ptr<TestWindow> window;
};

TEST_F(MainWindowTest, DroppedItemsSetTheEditsOfTheirKind) {
    for (const char* f : {"a", "b", "c", "target"}) fs::create_directories(dir / f);
    WritePng(dir / "photo.png");
    test::WriteFileText(dir / "photo.HEIC", "a picture of any kind the program reads");
    fs::create_directory_symlink(dir / "target", dir / "folder-link");
    test::WriteFileText(
        dir / "Target.desktop",
        "# a link made by a file manager\n[Desktop Entry]\nName=Target\n"
        "Type=Link\nURL=file://" +
            QUrl::toPercentEncoding(QString::fromStdString(dir / "target"), "/").toStdString() +
            "\n");
    test::WriteFileText(dir / "Web.desktop", "[Desktop Entry]\nType=Link\nURL=https://x.org/\n");
    test::WriteFileText(dir / "App.desktop",
                        "[Desktop Entry]\nType=Application\nURL=file://" + dir.path() + "/a\n");
    const auto url = [this](const std::string& name) {
        return QUrl::fromLocalFile(QString::fromStdString(dir / name));
    };
    const QString before = QString::fromStdString(dir / "in");
    const struct {
        const char* edit;
        QList<QUrl> urls;
        QString expected;
    } rows[] = {
        {"inputEdit", {url("a"), url("b"), url("c")}, QString::fromStdString(dir / "a")},
        {"inputEdit", {QUrl("https://example.org/x"), url("b")}, QString::fromStdString(dir / "b")},
        {"inputEdit", {url("photo.png"), url("a")}, before},
        {"inputEdit", {url("no-such-folder")}, before},
        {"inputEdit", {url("Web.desktop")}, before},
        {"inputEdit", {url("App.desktop")}, before},
        {"outputEdit", {url("Target.desktop")}, QString::fromStdString(dir / "target")},
        {"outputEdit", {url("folder-link")}, QString::fromStdString(dir / "folder-link")},
        {"singleEdit", {url("photo.png")}, QString::fromStdString(dir / "photo.png")},
        {"singleEdit", {url("photo.HEIC")}, QString::fromStdString(dir / "photo.HEIC")},
    };
    for (const auto& r : rows) {
        auto* edit = Find<DropEdit>(r.edit);
        edit->setText(QString::fromStdString(dir / "in"));
        QSignalSpy dropped(edit, &DropEdit::fileDropped);
        edit->TakeDrop(r.urls);
        EXPECT_EQ(edit->text(), r.expected)
            << r.edit << " " << r.urls.first().toString().toStdString();
        EXPECT_EQ(dropped.count(), std::string(r.edit) == "singleEdit" ? 1 : 0);
    }
    EXPECT_EQ(options.MainDestPath, dir / "folder-link")
        << "a dropped folder is the option at once";
}

TEST_F(MainWindowTest, ResizeMethodRelabelsTheSizeAndEnablesAllowEnlarge) {
    const struct {
        int code;
        const char* first;
        const char* second;
        bool height, enlarge;
    } rows[] = {
        {0, "Width", "Height", true, false}, {1, "Width", "Height", true, true},
        {2, "Width", "Height", true, true},  {3, "Width", "Height", true, true},
        {4, "Width", "Height", true, false}, {5, "Area", "", false, false},
        {6, "Percent", "", false, false},
    };
    auto* list = Find<QComboBox>("resizeList");
    ASSERT_EQ(list->count(), 7);
    for (const auto& r : rows) {
        list->setCurrentIndex(list->findData(r.code));
        EXPECT_EQ(list->currentText(), options::kResizeMethodTexts[r.code]);
        EXPECT_EQ(options.MainResizeMethod, r.code);
        EXPECT_EQ(Find<QLabel>("widthLabel")->text().remove('&'), r.first) << r.code;
        EXPECT_EQ(Find<QLabel>("heightLabel")->text().remove('&'), r.second) << r.code;
        EXPECT_EQ(!Find<QWidget>("heightEdit")->isHidden(), r.height) << r.code;
        EXPECT_EQ(Find<QCheckBox>("enlargeCheck")->isEnabled(), r.enlarge) << r.code;
    }
    auto* formats = Find<QComboBox>("formatList");
    ASSERT_EQ(formats->count(), 19);
    formats->setCurrentIndex(17);
    EXPECT_EQ(formats->currentText(), "GIF");
    EXPECT_EQ(options.MainOutputFormat, options::FormatGif);
}

TEST_F(MainWindowTest, SizesOutsideTheRangeShowTheFrameworkMessageAndStartNothing) {
    MakeImages(1);
    const struct {
        const char* width;
        const char* height;
        const char* message;
    } rows[] = {
        {"0", "100", "Please enter an integer between 1 and 1000000."},
        {"1000001", "100", "Please enter an integer between 1 and 1000000."},
        {"", "100", "Please enter an integer."},
        {"100", "0", "Please enter an integer between 1 and 1000000."},
    };
    for (const auto& r : rows) {
        boxes.shown.clear();
        Find<QLineEdit>("widthEdit")->setText(r.width);
        Find<QLineEdit>("heightEdit")->setText(r.height);
        Find<QPushButton>("startButton")->click();
        ASSERT_EQ(boxes.shown.size(), 1u) << r.width << "x" << r.height;
        EXPECT_EQ(boxes.shown[0].text, r.message);
        EXPECT_EQ(boxes.shown[0].caption, QString::fromStdString(engine::ApplicationTitle()));
        EXPECT_EQ(FileCount(dir / "out"), 0);
    }
    // A height the chosen method hides is not in the way.
    Find<QComboBox>("resizeList")->setCurrentIndex(6);
    Find<QLineEdit>("widthEdit")->setText("50");
    boxes.shown.clear();
    Find<QPushButton>("startButton")->click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(FileCount(dir / "out"), 1);
}

TEST_F(MainWindowTest, SizesAtTheEndsOfTheRangeAreTakenAndUsed) {
    MakeImages(1);  // 64 x 48
    const struct {
        const char* width;
        const char* height;
        int w, h;
        std::pair<int, int> thumbnail;
    } rows[] = {
        {"1000000", "1000000", 1000000, 1000000, {64, 48}},  // not enlarged
        {"1", "1", 1, 1, {1, 1}},
        {"1000000", "1", 1000000, 1, {1, 1}},
        {" 24", "1000000 ", 24, 1000000, {24, 18}},
    };
    for (const auto& r : rows) {
        const std::string what = std::string(r.width) + " x " + r.height;
        boxes.shown.clear();
        Find<QLineEdit>("widthEdit")->setText(r.width);
        Find<QLineEdit>("heightEdit")->setText(r.height);
        Find<QPushButton>("startButton")->click();
        EXPECT_TRUE(boxes.shown.empty()) << what;
        EXPECT_EQ(options.MainWidth, r.w) << what;
        EXPECT_EQ(options.MainHeight, r.h) << what;
        image::CPxImage thumbnail;
        ASSERT_EQ(thumbnail.Load(dir / "out/p0.jpg"), image::ErrNone) << what;
        EXPECT_EQ(std::make_pair(thumbnail.width(), thumbnail.height()), r.thumbnail) << what;
        fs::remove(dir / "out/p0.jpg");
    }
}

TEST_F(MainWindowTest, StartRunsWithoutTheTrailingSlashAndClearsTheLinesAfterAPause) {
    MakeImages(3);
    Find<QLineEdit>("inputEdit")->setText(QString::fromStdString(dir / "in/"));
    Find<QLineEdit>("outputEdit")->setText(QString::fromStdString(dir / "out/"));
    bool disabledDuringRun = true;
    StartWith([&] {
        for (const char* name : {"inputEdit", "outputEdit", "widthEdit", "startButton",
                                 "advancedButton", "helpButton", "logButton", "singleCheck"})
            disabledDuringRun = disabledDuringRun && !Find<QWidget>(name)->isEnabled();
        EXPECT_TRUE(window->progressWindow()->isVisible());
        EXPECT_TRUE(window->running());
    });
    EXPECT_TRUE(disabledDuringRun);
    EXPECT_EQ(options.MainSrcPath, dir / "in");
    EXPECT_EQ(Find<QLineEdit>("outputEdit")->text().toStdString(), dir / "out");
    EXPECT_EQ(FileCount(dir / "out"), 3);
    EXPECT_FALSE(window->progressWindow()->isVisible());
    EXPECT_TRUE(Find<QWidget>("startButton")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("singleEdit")->isEnabled()) << "single file is off";
    EXPECT_EQ(window->statusLineText(), "Processed 3 of 3 files");
    QTest::qWait(MainWindow::kClearDelayMilliseconds - 300);
    EXPECT_EQ(window->statusLineText(), "Processed 3 of 3 files");
    QTest::qWait(500);
    EXPECT_EQ(window->statusLineText(), "");
    EXPECT_EQ(window->pathLineText(), "");
}

TEST_F(MainWindowTest, ClosingDuringARunIsIgnoredAndClosingAfterItSavesTheOptions) {
    MakeImages(2);
    Find<QLineEdit>("widthEdit")->setText("123");
    StartWith([&] {
        window->close();
        EXPECT_TRUE(window->isVisible());
    });
    EXPECT_EQ(FileCount(dir / "out"), 2);
    EXPECT_FALSE(store.Has("MainWidth"));
    Find<QLineEdit>("heightEdit")->setText("77");
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(store.ReadInt("MainWidth", 0), 123);
    EXPECT_EQ(store.ReadInt("MainHeight", 0), 77) << "what the window shows is saved";
    EXPECT_EQ(store.ReadString("MainSrcPath", ""), dir / "in");
}

TEST_F(MainWindowTest, CancelHidesTheBusyWindowAndStopsTheRunOnce) {
    MakeImages(6);
    bool requestedAtOnce = true;
    StartWith([&] {
        widgets::ProgressWindow* busy = window->progressWindow();
        busy->findChild<QPushButton*>("cancelButton")->click();
        EXPECT_FALSE(busy->isVisible());
        requestedAtOnce = window->stopRequested();
        QCoreApplication::processEvents();
        EXPECT_TRUE(window->stopRequested()) << "the request arrives queued";
        window->OnCancelRequest();
        EXPECT_TRUE(window->stopRequested());
    });
    EXPECT_FALSE(requestedAtOnce);
    EXPECT_EQ(FileCount(dir / "out"), 0) << "stopped before the first file";
    EXPECT_FALSE(window->stopRequested()) << "cleared after the run";
    window->OnCancelRequest();
    EXPECT_FALSE(window->stopRequested()) << "no run, no request";
}

TEST_F(MainWindowTest, ErrorsGoToThePaneAndToABoxUnlessSilent) {
    MakeImages(1);
    test::WriteFileText(dir / "in/broken.png", "not a picture");
    options.OpsSilentOperation = 1;
    Find<QPushButton>("startButton")->click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(window->logButton()->blinking());
    const QString report =
        QString::fromStdString("Error : Invalid PNG file\nFile : " + (dir / "in/broken.png") +
                               "\nContext : File Process\n\n");
    EXPECT_TRUE(window->logPaneText().startsWith(report));
    EXPECT_EQ(FileCount(dir / "out"), 1);

    options.OpsSilentOperation = 0;
    boxes.answer = widgets::MessageAnswer::Cancel;
    Find<QPushButton>("startButton")->click();
    EXPECT_FALSE(window->logButton()->blinking()) << "a new run stops the blinking";
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, report.chopped(2) + "\nPress Cancel to stop this procedure");
    EXPECT_EQ(boxes.shown[0].icon, widgets::MessageIcon::Warning);
    EXPECT_EQ(boxes.shown[0].buttons, widgets::MessageButtons::OkCancel);
    EXPECT_TRUE(window->logPaneText().startsWith(report)) << "the pane starts afresh with each run";
    EXPECT_EQ(window->logPaneText().count(report), 1);
}

TEST_F(MainWindowTest, AReportOfTwoLinesIsTwoLinesAndAnEmptyOneInThePane) {
    WindowHost host(*window);
    engine::ReportError(host, true, "", image::ErrOutOfMemory, "Main resize", false, nullptr);
    EXPECT_EQ(window->logPaneText(), "Error : Out of memory\nContext : Main resize\n\n");
    EXPECT_EQ(window->findChild<QPlainTextEdit*>("logPane")->blockCount(), 4)
        << "two lines, an empty one, and the line the next report starts on";
    EXPECT_TRUE(window->logButton()->blinking());
    engine::ReportError(host, true, "", image::ErrNoCommonRoot, "Main resize", false, nullptr);
    EXPECT_EQ(window->logPaneText(),
              "Error : Out of memory\nContext : Main resize\n\nError : Vignettor will be unable "
              "to create HTML links.\nSource and Destination folders do not share a common "
              "root.\nContext : Main resize\n\n");
    EXPECT_TRUE(boxes.shown.empty());
}

// A warning (a colour profile ignored) goes to the pane with the log button
// blinking, never to a box, silent operation or not.
TEST_F(MainWindowTest, WarningsGoToThePaneWithoutABox) {
    WindowHost host(*window);
    options.OpsSilentOperation = 0;
    host.Warning("/in/a.jpg: Colour profile ignored: it could not be read");
    EXPECT_EQ(window->logPaneText(), "/in/a.jpg: Colour profile ignored: it could not be read\n\n");
    EXPECT_TRUE(window->logButton()->blinking());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainWindowTest, TheLogButtonOpensAndShutsThePaneAndTheWindowFollows) {
    window->logButton()->SetBlinking(true);
    QCoreApplication::processEvents();
    const int shut = window->height();
    EXPECT_FALSE(window->logPaneShown());
    window->logButton()->click();
    EXPECT_TRUE(window->logPaneShown());
    EXPECT_FALSE(window->logButton()->blinking());
    EXPECT_EQ(options.OpsErrorLogWindow, 1);
    QCoreApplication::processEvents();
    const int pane =
        window->findChild<QWidget*>("logPaneFrame")->height() + window->layout()->spacing();
    EXPECT_GT(pane, 60);
    EXPECT_EQ(window->height(), shut + pane);
    window->logButton()->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->logPaneShown());
    EXPECT_EQ(window->height(), shut);
    EXPECT_EQ(options.OpsErrorLogWindow, 0);
}

TEST_F(MainWindowTest, CopyButtonsBrowseAndTheOptionsSheetWorkOnTheRecord) {
    Find<QLineEdit>("outputEdit")->setText("/tmp/elsewhere");
    window->findChild<widgets::CTransButton*>("copyToInput")->click();
    EXPECT_EQ(options.MainSrcPath, "/tmp/elsewhere");
    Find<QLineEdit>("inputEdit")->setText("/tmp/first");
    window->findChild<widgets::CTransButton*>("copyToOutput")->click();
    EXPECT_EQ(Find<QLineEdit>("outputEdit")->text(), "/tmp/first");

    window->folderAnswer = "/tmp/chosen";
    Find<QPushButton>("inputBrowse")->click();
    EXPECT_EQ(window->folderTitle, "Browse for source folder");
    EXPECT_EQ(options.MainSrcPath, "/tmp/chosen");
    window->folderAnswer = "";
    Find<QPushButton>("outputBrowse")->click();
    EXPECT_EQ(window->folderTitle, "Browse for destination folder");
    EXPECT_EQ(options.MainDestPath, "/tmp/first") << "a cancelled chooser changes nothing";

    FakeBrowser browser;
    window->sheet = [&](options::BatchOptions& o) {
        EXPECT_TRUE(window->optionsSheetOpen());
        Find<QPushButton>("helpButton")->click();
        o.Reset();
        o.MainResizeMethod = options::Percent;
        o.MainWidth = 40;
        return true;
    };
    Find<QPushButton>("advancedButton")->click();
    EXPECT_TRUE(browser.opened.empty()) << "no help while the sheet is open";
    EXPECT_FALSE(window->optionsSheetOpen());
    EXPECT_EQ(Find<QLineEdit>("widthEdit")->text(), "40");
    EXPECT_EQ(Find<QComboBox>("resizeList")->currentText(), "Percent");
    EXPECT_EQ(Find<QLabel>("widthLabel")->text().remove('&'), "Percent");
    Find<QPushButton>("helpButton")->click();
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_TRUE(browser.opened[0].toString().endsWith("/help/main-window.html"))
        << browser.opened[0].toString().toStdString();
}

// Each run leaves one line at the end of the pane; the log button blinks
// only when a silent run made reports.
TEST_F(MainWindowTest, EveryRunLeavesItsLineInThePane) {
    MakeImages(2);
    const auto lastLine = [this] {
        const QStringList lines = window->logPaneText().split('\n', Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last();
    };
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  "));
    const QRegularExpression elapsed(QStringLiteral("; time: \\d+:\\d\\d$"));

    Find<QPushButton>("startButton")->click();
    QString line = lastLine();
    EXPECT_TRUE(line.contains(time) && line.contains(elapsed)) << line.toStdString();
    EXPECT_TRUE(line.contains("Processed 2 of 2 files; errors: 0;")) << line.toStdString();
    EXPECT_EQ(window->logPaneText().count('\n'), 1) << "only the run's line";
    EXPECT_FALSE(window->logButton()->blinking());
    QTest::qWait(MainWindow::kClearDelayMilliseconds + 100);
    EXPECT_EQ(window->statusLineText(), "") << "the status line still clears";
    EXPECT_EQ(lastLine(), line) << "the pane keeps the line";

    test::WriteFileText(dir / "in/broken.png", "not a picture");
    options.OpsSilentOperation = 1;
    Find<QPushButton>("startButton")->click();
    line = lastLine();
    EXPECT_TRUE(line.contains("Processed 3 of 3 files; errors: 1;")) << line.toStdString();
    EXPECT_TRUE(window->logButton()->blinking());

    StartWith([&] { window->progressWindow()->findChild<QPushButton*>("cancelButton")->click(); });
    line = lastLine();
    EXPECT_TRUE(line.contains(time) && line.contains(elapsed)) << line.toStdString();
    EXPECT_TRUE(line.contains("Cancelled after 0 of 3 files; errors: 0;")) << line.toStdString();
    EXPECT_FALSE(window->logButton()->blinking());

    Find<QCheckBox>("singleCheck")->setChecked(true);
    Find<QLineEdit>("singleEdit")->setText(QString::fromStdString(dir / "in/broken.png"));
    Find<QPushButton>("singleStart")->click();
    EXPECT_TRUE(lastLine().contains("Processed 1 of 1 files; errors: 1;"))
        << lastLine().toStdString();
}

// The busy window counts the files on a bar and, once a file is done, says
// how fast they go and how long is left.
TEST_F(MainWindowTest, TheBusyWindowCountsTheFilesDone) {
    MakeImages(4);
    options.OpsThreads = 1;
    widgets::ProgressWindow* busy = window->progressWindow();
    auto* bar = busy->findChild<QProgressBar*>("progressBar");
    ASSERT_NE(bar, nullptr);
    std::vector<int> done;
    bool countsAgree = true;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (bar->maximum() != 4) return;
        done.push_back(value);
        countsAgree = countsAgree && busy->progressShown() &&
                      busy->statusText() == QString("%1 of 4 files processed").arg(value);
    });
    Find<QPushButton>("startButton")->click();
    EXPECT_EQ(done, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(countsAgree) << "the line and the bar say the same";
    EXPECT_TRUE(busy->timeLeftText().contains(QRegularExpression(" files/s, \\d+:\\d\\d left$")))
        << busy->timeLeftText().toStdString();

    // A single file has no count to show.
    WritePng(dir / "in/one.png");
    Find<QCheckBox>("singleCheck")->setChecked(true);
    Find<QLineEdit>("singleEdit")->setText(QString::fromStdString(dir / "in/one.png"));
    bool barShown = true;
    OnShow shown([&] { barShown = busy->progressShown(); });
    busy->installEventFilter(&shown);
    Find<QPushButton>("singleStart")->click();
    busy->removeEventFilter(&shown);
    EXPECT_FALSE(barShown);
}

// Enter starts what the field with the focus belongs to: the single file
// from its field, the batch from anywhere else.
TEST_F(MainWindowTest, EnterInTheSingleFileFieldStartsTheSingleFile) {
    MakeImages(3);
    WritePng(dir / "one.png");
    QApplication::setActiveWindow(window.get());
    Find<QCheckBox>("singleCheck")->setChecked(true);
    auto* single = Find<QLineEdit>("singleEdit");
    single->setText(QString::fromStdString(dir / "one.png"));
    single->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), single);
    QTest::keyClick(single, Qt::Key_Return);
    EXPECT_TRUE(fs::exists(dir / "out/one.jpg"));
    EXPECT_FALSE(fs::exists(dir / "out/p0.jpg")) << "not the batch";
    fs::remove(dir / "out/one.jpg");

    auto* width = Find<QLineEdit>("widthEdit");
    width->setFocus();
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(FileCount(dir / "out"), 3);
    EXPECT_FALSE(fs::exists(dir / "out/one.jpg"));
}

TEST_F(MainWindowTest, SingleFileStartWritesTheOutputOfTheChosenFile) {
    WritePng(dir / "in/one.png", 300, 200);
    Find<QCheckBox>("singleCheck")->setChecked(true);
    EXPECT_TRUE(Find<QWidget>("singleStart")->isEnabled());
    Find<QLineEdit>("singleEdit")->setText(QString::fromStdString(dir / "in/one.png"));
    Find<QPushButton>("singleStart")->click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(fs::exists(dir / "out/one.jpg"));
    EXPECT_TRUE(Find<QWidget>("singleStart")->isEnabled());
}

TEST_F(MainWindowTest, RestoringTheWindowDuringARunBringsTheBusyWindowBack) {
    MakeImages(1);
    bool back = false;
    StartWith([&] {
        window->progressWindow()->hide();
        QWindowStateChangeEvent restored(Qt::WindowMinimized);
        QCoreApplication::sendEvent(window.get(), &restored);
        back = window->progressWindow()->isVisible();
    });
    EXPECT_TRUE(back);
}

}  // namespace
}  // namespace vig::ui
