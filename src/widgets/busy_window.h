// ProgressWindow: the small busy window both programs show while they work:
// the application icon, a status line, an animation of seven frames that
// advances every 500 ms while the window is shown, and Cancel.
//
// The main program's window (Kind::Program) has only the status line;
// Cancel (the button, Escape or the close box) hides it and sends
// cancelRequested() to its owner. The context-menu command's window
// (Kind::Extension) also shows the current path and a third line; Cancel
// sets the cancel flag, disables the button and says "Waiting for operation
// to complete."; the window stays until its owner closes it.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QTimer>
#include <memory>

namespace Ui {
class ProgressWindow;
}

namespace vig::widgets {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Program, Extension };
    static constexpr int kFrameMilliseconds = 500;
    static constexpr int kPictureSize = 48;
    // Shown in the user's language (catalogue context "ProgressWindow").
    static constexpr const char* kWaitingText =
        QT_TRANSLATE_NOOP("ProgressWindow", "Waiting for operation to complete.");
    static constexpr const char* kFilesDoneFormat =
        QT_TRANSLATE_NOOP("ProgressWindow", "%v of %m files");
    static constexpr const char* kRateAndTimeLeft =
        QT_TRANSLATE_NOOP("ProgressWindow", "%1 files/s, %2 left");

    // A hidden, modeless window over `owner` (the screen when null).
    explicit ProgressWindow(QWidget* owner, Kind kind = Kind::Program);
    ~ProgressWindow() override;

    void SetStatusText(const QString& text);
    QString statusText() const;
    // The current path (Kind::Extension; hidden in the main program's window).
    void SetPathText(const QString& text);
    QString pathText() const;
    // The third line (Kind::Extension).
    void SetExtraText(const QString& text);
    // Files done of the total on a bar, and below it the rate and the time
    // left once a rate is known (`filesPerSecond` > 0), as a terminal's
    // progress line has them. Hidden until the first call after ClearProgress.
    void SetProgress(int done, int total, double filesPerSecond);
    void ClearProgress();
    bool progressShown() const;
    int progressDone() const;
    int progressTotal() const;
    QString timeLeftText() const;

    // Set by Cancel in the extension's window, whose loop reads it.
    bool cancelFlag() const { return cancelFlag_; }
    // The frame shown now, 0 to 6.
    int frameIndex() const { return frame_; }
    bool animating() const { return timer_.isActive(); }
    // Shows the next frame (the timer's tick).
    void AdvanceFrame();
    // Centres the window over its owner, or the screen without one.
    void CentreOverOwner();

    // The frame pictures, made once for the whole program.
    static const QPixmap& FramePicture(int index);

signals:
    // Cancel was chosen; connect it queued to the window that runs the work.
    void cancelRequested();

public slots:
    // Cancel, Escape and the close box.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowFrame(int index);

    std::unique_ptr<Ui::ProgressWindow> ui_;
    Kind kind_;
    QTimer timer_;
    int frame_ = 0;
    bool cancelFlag_ = false;
};

}  // namespace vig::widgets
