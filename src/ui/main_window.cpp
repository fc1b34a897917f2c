#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLayout>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QShortcut>
#include <QTime>
#include <QWindowStateChangeEvent>

#include "engine/app_info.h"
#include "engine/engine_texts.h"
#include "engine/run_host.h"
#include "image/codec_table.h"
#include "ui/about_dialog.h"
#include "ui/file_filters.h"
#include "ui/options_sheet.h"
#include "ui/window_host.h"
#include "ui/window_texts.h"
#include "ui_main_window.h"
#include "widgets/busy_window.h"
#include "widgets/dialog_buttons.h"
#include "widgets/help.h"
#include "widgets/message_boxes.h"
#include "widgets/pictures.h"

namespace vig::ui {
namespace {

// The pane's height the first time it is opened.
constexpr int kFirstPaneHeight = 150;

// File names are bytes on disk; the window shows them decoded.
std::string ToPath(const QString& text) {
    return QFile::encodeName(text).toStdString();
}
QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// One trailing '/' goes; the root folder stays as it is.
std::string StripFolder(const std::string& folder) {
    if (folder.size() > 1 && folder.back() == '/') return folder.substr(0, folder.size() - 1);
    return folder;
}

QString WithoutTrailingLineBreaks(QString text) {
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    return text;
}

}  // namespace

MainWindow::MainWindow(options::BatchOptions& options, ProfileStore& store, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::MainWindow>()), options_(options), store_(store) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(widgets::ApplicationIcon());
    setWindowTitle(QString::fromStdString(engine::ApplicationTitle()));
    host_ = std::make_unique<WindowHost>(*this);
    engine_ = std::make_unique<engine::BatchEngine>(options_, *host_);

    widgets::WidenButtons(this);
    ui_->copyToInput->Attach();
    ui_->copyToOutput->Attach();
    ui_->logButton->Attach();

    // Sizes are typed as digits only.
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    ui_->widthEdit->setValidator(new QRegularExpressionValidator(digits, ui_->widthEdit));
    ui_->heightEdit->setValidator(new QRegularExpressionValidator(digits, ui_->heightEdit));

    FillLists();
    ShowOptions();

    connect(ui_->inputEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { options_.MainSrcPath = ToPath(text); });
    connect(ui_->outputEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { options_.MainDestPath = ToPath(text); });
    connect(ui_->resizeList, &QComboBox::currentIndexChanged, this, [this](int index) {
        options_.MainResizeMethod = index < 0 ? 0 : ui_->resizeList->itemData(index).toInt();
        Relabel(options_.MainResizeMethod);
    });
    connect(ui_->formatList, &QComboBox::currentIndexChanged, this, [this](int index) {
        options_.MainOutputFormat = index < 0 ? 0 : ui_->formatList->itemData(index).toInt();
    });
    connect(ui_->singleCheck, &QCheckBox::toggled, this, [this](bool on) {
        options_.MainEnableSingleFile = on ? 1 : 0;
        UpdateSingleFileControls();
    });
    connect(ui_->inputBrowse, &QPushButton::clicked, this, &MainWindow::OnBrowseInput);
    connect(ui_->outputBrowse, &QPushButton::clicked, this, &MainWindow::OnBrowseOutput);
    connect(ui_->copyToInput, &QAbstractButton::clicked, this, &MainWindow::OnCopyToInput);
    connect(ui_->copyToOutput, &QAbstractButton::clicked, this, &MainWindow::OnCopyToOutput);
    connect(ui_->singleBrowse, &QPushButton::clicked, this, &MainWindow::OnBrowseSingleFile);
    connect(ui_->singleStart, &QPushButton::clicked, this, &MainWindow::OnSingleFileStart);
    connect(ui_->startButton, &QPushButton::clicked, this, &MainWindow::OnStart);
    connect(ui_->advancedButton, &QPushButton::clicked, this, &MainWindow::OnAdvanced);
    connect(ui_->aboutButton, &QPushButton::clicked, this, &MainWindow::OnAbout);
    connect(ui_->helpButton, &QPushButton::clicked, this, &MainWindow::OnHelp);
    connect(ui_->logButton, &QAbstractButton::clicked, this, &MainWindow::OnToggleLogPane);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &MainWindow::OnHelp);
    // While the single file's field has the focus, Enter is "Single File
    // Start"; elsewhere it is "Start".
    defaultFollowsFocus_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            (now != nullptr && now == ui_->singleEdit ? ui_->singleStart : ui_->startButton)
                ->setDefault(true);
        });
    auto* quit = new QShortcut(QKeySequence::Quit, this);
    connect(quit, &QShortcut::activated, this, &QWidget::close);

    // The log pane: the window ends where the pane begins while it is shut.
    paneHeight_ = kFirstPaneHeight;
    ui_->logPaneFrame->setVisible(options::On(options_.OpsErrorLogWindow));
    ui_->logPaneFrame->resize(ui_->logPaneFrame->width(), paneHeight_);
    ensurePolished();
    adjustSize();
    if (options::On(options_.OpsErrorLogWindow)) {
        resize(width(), height() - ui_->logPaneFrame->sizeHint().height() + paneHeight_);
    } else {
        setMaximumHeight(minimumSizeHint().height());
    }

    progress_ = new widgets::ProgressWindow(this);
    progress_->hide();
    connect(progress_, &widgets::ProgressWindow::cancelRequested, this,
            &MainWindow::OnCancelRequest, Qt::QueuedConnection);

    clearTimer_.setSingleShot(true);
    clearTimer_.setInterval(kClearDelayMilliseconds);
    connect(&clearTimer_, &QTimer::timeout, this, [this] {
        SetPathLine(QString());
        SetStatusLine(QString());
    });
}

MainWindow::~MainWindow() {
    // The controls go before this object does, and take the focus with them.
    disconnect(defaultFollowsFocus_);
}

widgets::CTransButton* MainWindow::logButton() const {
    return ui_->logButton;
}

QString MainWindow::statusLineText() const {
    return ui_->statusLine->text();
}

QString MainWindow::pathLineText() const {
    return ui_->pathLine->text();
}

QString MainWindow::logPaneText() const {
    return ui_->logPane->toPlainText();
}

bool MainWindow::logPaneShown() const {
    return !ui_->logPaneFrame->isHidden();
}

void MainWindow::FillLists() {
    for (int code = 0; code < static_cast<int>(std::size(options::kResizeMethodTexts)); ++code)
        ui_->resizeList->addItem(
            widgets::Translated(options::kListContext, options::kResizeMethodTexts[code]), code);
    for (int code = options::FormatSame24; code <= options::FormatGifGray; ++code)
        ui_->formatList->addItem(
            widgets::Translated(options::kListContext, options::kOutputFormatTexts[code - 1]),
            code);
}

void MainWindow::ShowOptions() {
    const QSignalBlocker blockResize(ui_->resizeList);
    const QSignalBlocker blockFormat(ui_->formatList);
    ui_->inputEdit->setText(FromPath(options_.MainSrcPath));
    ui_->outputEdit->setText(FromPath(options_.MainDestPath));
    ui_->widthEdit->setText(QString::number(options_.MainWidth));
    ui_->heightEdit->setText(QString::number(options_.MainHeight));
    ui_->enlargeCheck->setChecked(options::On(options_.MainEnlarge));
    ui_->formatList->setCurrentIndex(ui_->formatList->findData(options_.MainOutputFormat));
    ui_->resizeList->setCurrentIndex(ui_->resizeList->findData(options_.MainResizeMethod));
    Relabel(options_.MainResizeMethod);
    {
        const QSignalBlocker blockSingle(ui_->singleCheck);
        ui_->singleCheck->setChecked(options::On(options_.MainEnableSingleFile));
    }
    UpdateSingleFileControls();
}

void MainWindow::Relabel(int method) {
    if (method < options::NoResize || method > options::Percent) return;
    const char* first = texts::kWidth;
    if (method == options::PixelArea) first = texts::kArea;
    if (method == options::Percent) first = texts::kPercent;
    const bool twoSizes = method <= options::ExactSize;
    ui_->widthLabel->setText(texts::Tr(first));
    ui_->widthUnit->setText(texts::Tr(method == options::Percent     ? texts::kUnitPercent
                                      : method == options::PixelArea ? texts::kUnitArea
                                                                     : texts::kUnitPixels));
    ui_->heightLabel->setText(twoSizes ? texts::Tr(texts::kHeight) : QString());
    // The height's whole row goes, so that no hole stays where it was.
    ui_->heightLabel->setVisible(twoSizes);
    ui_->heightEdit->setVisible(twoSizes);
    ui_->heightUnit->setVisible(twoSizes);
    ui_->enlargeCheck->setEnabled(options::MethodAllowsEnlarge(method));
}

void MainWindow::UpdateSingleFileControls() {
    const bool on = options::On(options_.MainEnableSingleFile);
    ui_->singleEdit->setEnabled(on);
    ui_->singleBrowse->setEnabled(on);
    ui_->singleStart->setEnabled(on);
}

bool MainWindow::ReadSize(QLineEdit* edit, int* value) {
    const QString text = edit->text().trimmed();
    bool digitsOnly = !text.isEmpty();
    for (const QChar c : text) digitsOnly = digitsOnly && c.isDigit() && c.unicode() < 128;
    QString problem;
    if (!digitsOnly) {
        problem = texts::Tr(texts::kEnterInteger);
    } else {
        const qlonglong number = text.size() > 12 ? kMaxSize + 1LL : text.toLongLong();
        if (number < kMinSize || number > kMaxSize)
            problem = texts::Tr(texts::kEnterIntegerBetween).arg(kMinSize).arg(kMaxSize);
        else
            *value = static_cast<int>(number);
    }
    if (problem.isEmpty()) return true;
    widgets::Messages().Show(this, QString::fromStdString(engine::ApplicationTitle()), problem,
                             widgets::MessageIcon::Warning, widgets::MessageButtons::Ok);
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool MainWindow::TransferToOptions() {
    int width = options_.MainWidth;
    int height = options_.MainHeight;
    if (!ReadSize(ui_->widthEdit, &width)) return false;
    // A hidden height is not used by the method shown and is not checked.
    if (!ui_->heightEdit->isHidden() && !ReadSize(ui_->heightEdit, &height)) return false;
    options_.MainWidth = width;
    options_.MainHeight = height;
    options_.MainEnlarge = ui_->enlargeCheck->isChecked() ? 1 : 0;
    options_.MainEnableSingleFile = ui_->singleCheck->isChecked() ? 1 : 0;
    options_.MainSrcPath = ToPath(ui_->inputEdit->text());
    options_.MainDestPath = ToPath(ui_->outputEdit->text());
    return true;
}

void MainWindow::SetStatusLine(const QString& text) {
    ui_->statusLine->setText(WithoutTrailingLineBreaks(text));
}

void MainWindow::SetPathLine(const QString& text) {
    ui_->pathLine->setText(text);
}

void MainWindow::SetBusyText(const QString& text) {
    if (progress_ != nullptr) progress_->SetStatusText(text);
}

void MainWindow::AppendErrorLog(const QString& paneText) {
    QString text = paneText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QPlainTextEdit* pane = ui_->logPane;
    if (pane->document()->isEmpty()) {
        pane->setPlainText(text);
    } else {
        QTextCursor cursor = pane->textCursor();
        cursor.movePosition(QTextCursor::End);
        pane->setTextCursor(cursor);
        pane->insertPlainText(text);
    }
    pane->ensureCursorVisible();
}

void MainWindow::SetRunProgress(int done, int total) {
    if (!running_ || progress_ == nullptr || total <= 0) return;
    if (!progressClock_.isValid()) progressClock_.start();
    const double seconds = progressClock_.elapsed() / 1000.0;
    progress_->SetStatusText(
        QString::fromStdString(vig::engine::texts::FilesProcessed(done, total)));
    progress_->SetProgress(done, total, done > 0 && seconds > 0 ? done / seconds : 0.0);
}

void MainWindow::SetLogButtonBlinking(bool on) {
    ui_->logButton->SetBlinking(on);
}

void MainWindow::PumpMessages(int milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, milliseconds);
}

void MainWindow::SetRunControlsEnabled(bool enabled) {
    QWidget* const controls[] = {
        ui_->inputEdit,      ui_->outputEdit,   ui_->widthEdit,   ui_->heightEdit,
        ui_->outputBrowse,   ui_->inputBrowse,  ui_->formatList,  ui_->resizeList,
        ui_->advancedButton, ui_->enlargeCheck, ui_->singleEdit,  ui_->singleBrowse,
        ui_->singleStart,    ui_->helpButton,   ui_->startButton, ui_->copyToInput,
        ui_->copyToOutput,   ui_->logButton,    ui_->singleCheck,
    };
    const bool single = options::On(options_.MainEnableSingleFile);
    for (QWidget* control : controls) {
        bool on = enabled;
        if (enabled && (control == ui_->singleEdit || control == ui_->singleBrowse ||
                        control == ui_->singleStart))
            on = single;
        // "Allow Enlarge" follows the resize method, as when it was chosen.
        if (enabled && control == ui_->enlargeCheck) {
            const int m = options_.MainResizeMethod;
            on = m < options::NoResize || m > options::Percent || options::MethodAllowsEnlarge(m);
        }
        control->setEnabled(on);
        PumpMessages(engine::kStatusPumpMilliseconds);
    }
}

void MainWindow::BeginRun() {
    clearTimer_.stop();
    running_ = true;
    stopRequested_ = false;
    runErrors_ = 0;
    runClock_.start();
    progressClock_.invalidate();
    if (progress_ != nullptr) progress_->ClearProgress();
    ui_->logButton->SetBlinking(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetRunControlsEnabled(false);
    ui_->logPane->clear();
}

void MainWindow::ShowBusyWindow(const QString& text) {
    if (progress_ == nullptr) return;
    progress_->SetStatusText(text);
    progress_->show();
}

void MainWindow::EndRun(int processed, int total, bool cancelled) {
    // The run's line stays in the pane after the status lines clear.
    const QString line =
        texts::Tr(cancelled ? texts::kRunLineCancelled : texts::kRunLineDone)
            .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
            .arg(processed)
            .arg(total)
            .arg(runErrors_)
            .arg(QString::fromStdString(vig::engine::texts::Duration(runClock_.elapsed() / 1000)));
    AppendErrorLog(line + QLatin1Char('\n'));
    if (progress_ != nullptr) progress_->hide();
    SetRunControlsEnabled(true);
    QApplication::restoreOverrideCursor();
    running_ = false;
    stopRequested_ = false;
    clearTimer_.start();
}

void MainWindow::OnStart() {
    if (running_ || !TransferToOptions()) return;
    options_.MainSrcPath = StripFolder(options_.MainSrcPath);
    options_.MainDestPath = StripFolder(options_.MainDestPath);
    ShowOptions();
    BeginRun();
    ShowBusyWindow(QString());
    PumpMessages(engine::kStatusPumpMilliseconds);
    const engine::BatchSummary summary = engine_->BatchRun();
    EndRun(summary.processed, summary.total, summary.stopped || stopRequested_);
}

void MainWindow::OnSingleFileStart() {
    if (running_ || !options::On(options_.MainEnableSingleFile) || !TransferToOptions()) return;
    BeginRun();
    const QString single = ui_->singleEdit->text();
    const std::string input = ToPath(single);
    const std::string output = engine::SingleFileOutputPath(options_, input);
    ShowBusyWindow(single);
    PumpMessages(engine::kStatusPumpMilliseconds);
    const image::ErrorCode code = engine_->SingleFileOperation(input, output, input);
    const bool cancelled = stopRequested_;
    EndRun(code == image::ErrCancelled && cancelled ? 0 : 1, 1, cancelled);
}

void MainWindow::OnAdvanced() {
    if (running_ || sheetOpen_ || !TransferToOptions()) return;
    sheetOpen_ = true;
    const bool accepted = RunOptionsSheet(options_);
    sheetOpen_ = false;
    if (!accepted) return;
    ShowOptions();
    // "Reset all options" closes the error log pane too.
    ShowLogPane(options::On(options_.OpsErrorLogWindow));
}

bool MainWindow::RunOptionsSheet(options::BatchOptions& options) {
    return CMySheet::Run(options, this);
}

void MainWindow::OnAbout() {
    ShowAbout();
}

void MainWindow::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::OnHelp() {
    if (sheetOpen_) return;
    widgets::ShowHelpTopic(kHelpTopic);
}

void MainWindow::ShowLogPane(bool show) {
    QWidget* pane = ui_->logPaneFrame;
    if (show == !pane->isHidden()) return;
    if (show) {
        const int shut = height();
        setMaximumHeight(QWIDGETSIZE_MAX);
        pane->show();
        layout()->activate();
        resize(width(), shut + paneHeight_);
    } else {
        // The pane's height counts the gap above it.
        paneHeight_ = pane->height() + layout()->spacing();
        const int shut = height() - paneHeight_;
        pane->hide();
        setMaximumHeight(shut);
        resize(width(), shut);
    }
}

void MainWindow::OnToggleLogPane() {
    options_.OpsErrorLogWindow = options::On(options_.OpsErrorLogWindow) ? 0 : 1;
    ui_->logButton->SetBlinking(false);
    ShowLogPane(options::On(options_.OpsErrorLogWindow));
}

void MainWindow::OnCopyToInput() {
    if (!TransferToOptions()) return;
    options_.MainSrcPath = options_.MainDestPath;
    ShowOptions();
}

void MainWindow::OnCopyToOutput() {
    if (!TransferToOptions()) return;
    options_.MainDestPath = options_.MainSrcPath;
    ShowOptions();
}

void MainWindow::OnBrowseInput() {
    const QString folder = ChooseFolder(texts::Tr(texts::kBrowseSource), ui_->inputEdit->text());
    if (!folder.isEmpty()) ui_->inputEdit->setText(folder);
}

void MainWindow::OnBrowseOutput() {
    const QString folder =
        ChooseFolder(texts::Tr(texts::kBrowseDestination), ui_->outputEdit->text());
    if (!folder.isEmpty()) ui_->outputEdit->setText(folder);
}

void MainWindow::OnBrowseSingleFile() {
    if (!options::On(options_.MainEnableSingleFile)) return;
    const QString file = ChooseFile(texts::Tr(texts::kFileToLoad), ui_->singleEdit->text());
    if (!file.isEmpty()) ui_->singleEdit->setText(file);
}

QString MainWindow::ChooseFolder(const QString& title, const QString& start) {
    const QFileInfo info(start);
    const QString from = info.isDir() ? info.absoluteFilePath() : QDir::currentPath();
    return QFileDialog::getExistingDirectory(this, title, from, QFileDialog::ShowDirsOnly);
}

QString MainWindow::ChooseFile(const QString& title, const QString& start) {
    QFileDialog dialog(this, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Qt's own dialog matches the patterns ignoring letter case.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(PictureFileFilters(PatternCase::Upper, image::InputNone));
    const QFileInfo info(start);
    dialog.setDirectory(info.isFile()                               ? info.absolutePath()
                        : QFileInfo(ui_->inputEdit->text()).isDir() ? ui_->inputEdit->text()
                                                                    : QDir::currentPath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void MainWindow::OnCancelRequest() {
    if (running_ && !stopRequested_) stopRequested_ = true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    // What the controls show is kept; sizes that are not valid keep the
    // values they had.
    int width = 0;
    const QString w = ui_->widthEdit->text(), h = ui_->heightEdit->text();
    bool ok = false;
    width = w.toInt(&ok);
    if (ok && width >= kMinSize && width <= kMaxSize) options_.MainWidth = width;
    const int height = h.toInt(&ok);
    if (ok && height >= kMinSize && height <= kMaxSize) options_.MainHeight = height;
    options_.MainEnlarge = ui_->enlargeCheck->isChecked() ? 1 : 0;
    delete progress_;
    progress_ = nullptr;
    options_.Save(store_);
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && running_ && progress_ != nullptr) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized)) {
            progress_->show();
            progress_->raise();
            progress_->CentreOverOwner();
        }
    }
    QDialog::changeEvent(event);
}

}  // namespace vig::ui
