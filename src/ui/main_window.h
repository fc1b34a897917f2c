// The main window: the input and output folders, the output size, resize
// method and output format, single-file operation, the log pane, and the
// buttons that start a batch, open the options sheet, the help and the
// About box. It holds the options record it edits and the engine that runs
// on it; runs happen on this thread, kept responsive by bounded pumping.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "engine/batch_engine.h"
#include "options/batch_options.h"
#include "platform/profile_store.h"
#include "widgets/help.h"

class QLineEdit;

namespace Ui {
class MainWindow;
}

namespace vig::widgets {
class CTransButton;
class ProgressWindow;
}  // namespace vig::widgets

namespace vig::ui {

class WindowHost;

class MainWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr widgets::HelpTopic kHelpTopic = widgets::HelpTopic::MainWindow;
    static constexpr int kClearDelayMilliseconds = 750;
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 1000000;

    // Shows `options` (already loaded); saves them to `store` when closed.
    MainWindow(options::BatchOptions& options, ProfileStore& store, QWidget* parent = nullptr);
    ~MainWindow() override;

    options::BatchOptions& options() { return options_; }
    bool running() const { return running_; }
    bool stopRequested() const { return stopRequested_; }
    bool optionsSheetOpen() const { return sheetOpen_; }
    widgets::ProgressWindow* progressWindow() const { return progress_; }
    widgets::CTransButton* logButton() const;
    QString statusLineText() const;
    QString pathLineText() const;
    QString logPaneText() const;
    bool logPaneShown() const;

    // What a run reports through its host.
    void SetStatusLine(const QString& text);
    void SetPathLine(const QString& text);
    void SetBusyText(const QString& text);
    void AppendErrorLog(const QString& paneText);
    void SetLogButtonBlinking(bool on);
    // A report of the run (counted for the run's line in the log pane).
    void NoteError() { ++runErrors_; }
    // Where a batch run stands: `done` of `total` files finished.
    void SetRunProgress(int done, int total);
    // Dispatches pending events for at most `milliseconds`.
    void PumpMessages(int milliseconds);

    // Reads the controls into the options; false, after the framework's
    // message, when a size is not a whole number from 1 to 1000000.
    bool TransferToOptions();
    // Shows the options in the controls (folders, sizes, lists, labels,
    // single-file state).
    void ShowOptions();

public slots:
    void OnStart();
    void OnSingleFileStart();
    void OnAdvanced();
    void OnAbout();
    void OnHelp();
    void OnToggleLogPane();
    void OnCopyToInput();
    void OnCopyToOutput();
    void OnBrowseInput();
    void OnBrowseOutput();
    void OnBrowseSingleFile();
    // The busy window's Cancel (arrives queued): one stop request per run.
    void OnCancelRequest();

protected:
    // Runs the options sheet on `options`; true when it ended with OK and
    // the record holds the new values. The options sheet opens here.
    virtual bool RunOptionsSheet(options::BatchOptions& options);
    // The folder and file choosers; "" when cancelled.
    virtual QString ChooseFolder(const QString& title, const QString& start);
    virtual QString ChooseFile(const QString& title, const QString& start);
    virtual void ShowAbout();

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Escape does not close the main window.
    void reject() override {}

private:
    void FillLists();
    void Relabel(int method);
    void UpdateSingleFileControls();
    void SetRunControlsEnabled(bool enabled);
    void BeginRun();
    void ShowBusyWindow(const QString& text);
    // Ends a run that finished `processed` of `total` files: the controls
    // come back, and the run's line goes into the log pane.
    void EndRun(int processed, int total, bool cancelled);
    void ShowLogPane(bool show);
    bool ReadSize(QLineEdit* edit, int* value);

    std::unique_ptr<Ui::MainWindow> ui_;
    options::BatchOptions& options_;
    ProfileStore& store_;
    std::unique_ptr<WindowHost> host_;
    std::unique_ptr<engine::BatchEngine> engine_;
    widgets::ProgressWindow* progress_ = nullptr;
    QTimer clearTimer_;
    QElapsedTimer runClock_;       // since the run began
    QElapsedTimer progressClock_;  // since the first file began, for the rate
    int runErrors_ = 0;
    QMetaObject::Connection defaultFollowsFocus_;
    int paneHeight_ = 0;
    bool running_ = false;
    bool stopRequested_ = false;
    bool sheetOpen_ = false;
};

}  // namespace vig::ui
