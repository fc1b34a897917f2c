#include "widgets/busy_window.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cmath>

#include "ui_busy_window.h"
#include "widgets/pictures.h"
#include "widgets/translations.h"

namespace vig::widgets {
namespace {

// m:ss, or h:mm:ss from an hour on, as the terminal's progress line has it.
QString DurationText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

const QPixmap& ProgressWindow::FramePicture(int index) {
    static const std::array<QPixmap, kBusyFrameCount> frames = [] {
        std::array<QPixmap, kBusyFrameCount> made;
        const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
        for (int i = 0; i < kBusyFrameCount; ++i)
            made[static_cast<size_t>(i)] = QPixmap::fromImage(BusyFrame(i, kPictureSize, ratio));
        return made;
    }();
    static const QPixmap none;
    return index >= 0 && index < kBusyFrameCount ? frames[static_cast<size_t>(index)] : none;
}

ProgressWindow::ProgressWindow(QWidget* owner, Kind kind)
    : QDialog(owner), ui_(std::make_unique<Ui::ProgressWindow>()), kind_(kind) {
    ui_->setupUi(this);
    setModal(false);
    setWindowIcon(ApplicationIcon());
    ui_->appIcon->setPixmap(ApplicationIcon().pixmap(kPictureSize, kPictureSize));
    ui_->pathLine->setVisible(kind_ == Kind::Extension);
    // A long path gives up its middle, so that the file name stays whole.
    ui_->pathLine->SetEllipsis(CPathStatic::Ellipsis::Path);
    ui_->extraLine->setVisible(kind_ == Kind::Extension);
    ui_->statusLine->setText(QString());
    ui_->progressBar->setFormat(Translated("ProgressWindow", kFilesDoneFormat));
    // The line keeps its height while it is empty, so the window does not
    // grow when the first estimate comes.
    ui_->timeLeftLine->setMinimumHeight(ui_->timeLeftLine->fontMetrics().height());
    ClearProgress();
    connect(ui_->cancelButton, &QPushButton::clicked, this, &ProgressWindow::reject);
    timer_.setInterval(kFrameMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &ProgressWindow::AdvanceFrame);
    ShowFrame(0);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::SetStatusText(const QString& text) {
    ui_->statusLine->setText(text);
}

QString ProgressWindow::statusText() const {
    return ui_->statusLine->text();
}

void ProgressWindow::SetPathText(const QString& text) {
    ui_->pathLine->setText(text);
}

QString ProgressWindow::pathText() const {
    return ui_->pathLine->text();
}

void ProgressWindow::SetExtraText(const QString& text) {
    ui_->extraLine->setText(text);
}

void ProgressWindow::SetProgress(int done, int total, double filesPerSecond) {
    total = std::max(total, 0);
    done = std::clamp(done, 0, total);
    ui_->progressBar->setRange(0, total);
    ui_->progressBar->setValue(done);
    ui_->progressBar->show();
    QString left;
    if (filesPerSecond > 0 && total > 0) {
        const auto seconds = static_cast<qint64>(std::llround((total - done) / filesPerSecond));
        left = Translated("ProgressWindow", kRateAndTimeLeft)
                   .arg(QLocale().toString(filesPerSecond, 'f', 1), DurationText(seconds));
    }
    ui_->timeLeftLine->setText(left);
    ui_->timeLeftLine->show();
}

void ProgressWindow::ClearProgress() {
    ui_->progressBar->hide();
    ui_->progressBar->setRange(0, 1);
    ui_->progressBar->setValue(0);
    ui_->timeLeftLine->hide();
    ui_->timeLeftLine->clear();
}

bool ProgressWindow::progressShown() const {
    return !ui_->progressBar->isHidden();
}

int ProgressWindow::progressDone() const {
    return ui_->progressBar->value();
}

int ProgressWindow::progressTotal() const {
    return ui_->progressBar->maximum();
}

QString ProgressWindow::timeLeftText() const {
    return ui_->timeLeftLine->text();
}

void ProgressWindow::ShowFrame(int index) {
    frame_ = index;
    ui_->animation->setPixmap(FramePicture(index));
}

void ProgressWindow::AdvanceFrame() {
    ShowFrame((frame_ + 1) % kBusyFrameCount);
}

void ProgressWindow::CentreOverOwner() {
    const QWidget* owner = parentWidget();
    QRect area;
    if (owner != nullptr && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty()) return;
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft() + (pos() - frameGeometry().topLeft()));
}

void ProgressWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverOwner();
    ShowFrame(0);
    timer_.start();
}

void ProgressWindow::hideEvent(QHideEvent* event) {
    timer_.stop();
    ShowFrame(0);
    QDialog::hideEvent(event);
}

void ProgressWindow::reject() {
    if (kind_ == Kind::Extension) {
        cancelFlag_ = true;
        ui_->cancelButton->setEnabled(false);
        ui_->statusLine->setText(Translated("ProgressWindow", kWaitingText));
    } else {
        hide();
    }
    emit cancelRequested();
}

}  // namespace vig::widgets
