// A test seam preloaded into the launcher: it answers the windows the
// command shows, the way a person would, and writes down what it saw.
//   - the quick dialog: "Start" is clicked;
//   - a message box: its text is written down and it is closed;
//   - the busy window: when its status reads "Processing file N of M" with N
//     equal to $VIGTEST_CANCEL_AT, Cancel is clicked and what the window
//     shows then is written down.
// Every observation is a line appended to the file $VIGTEST_SEAM_LOG.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace {

void Note(const QString& line) {
    QFile log(qEnvironmentVariable("VIGTEST_SEAM_LOG"));
    if (log.open(QIODevice::Append)) log.write((line + "\n").toUtf8());
}

QPushButton* Button(QWidget* window, const QString& text) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (QString(b->text()).remove(QLatin1Char('&')) == text) return b;
    return nullptr;
}

bool ShowsText(QWidget* window, const QString& text) {
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->text() == text) return true;
    return false;
}

class Driver final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            QPointer<QWidget> window = static_cast<QWidget*>(watched);
            QTimer::singleShot(0, this, [this, window] {
                if (window) Answer(window);
            });
        }
        return false;
    }

private:
    void Answer(QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            Note("message: " + box->text());
            box->done(QMessageBox::Ok);
        } else if (window->windowTitle() == "Vignettor Snapshrink") {
            Note("dialog");
            if (QPushButton* start = Button(window, "Start")) start->click();
        } else if (window->windowTitle() == "The Vignettor is busy...") {
            WatchBusy(window);
        }
    }

    void WatchBusy(QWidget* window) {
        const int cancelAt = qEnvironmentVariableIntValue("VIGTEST_CANCEL_AT");
        if (cancelAt <= 0) return;
        QPointer<QWidget> busy = window;
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [busy, poll, cancelAt] {
            if (!busy) return poll->deleteLater();
            const QString prefix = QString("Processing file %1 of ").arg(cancelAt);
            for (QLabel* l : busy->findChildren<QLabel*>()) {
                const QString status = l->text();
                QPushButton* cancel = Button(busy, "Cancel");
                if (!status.startsWith(prefix) || cancel == nullptr) continue;
                cancel->click();
                Note(QString("cancelled during: %1; waiting shown: %2; cancel enabled: %3")
                         .arg(status,
                              ShowsText(busy, "Waiting for operation to complete.") ? "yes" : "no",
                              cancel->isEnabled() ? "yes" : "no"));
                poll->stop();
                poll->deleteLater();
                return;
            }
        });
        poll->start(5);
    }
};

void Install() {
    qApp->installEventFilter(new Driver(qApp));
}

__attribute__((constructor)) void RegisterSeam() {
    qAddPreRoutine(Install);
}

}  // namespace
