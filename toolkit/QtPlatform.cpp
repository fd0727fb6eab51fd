#include "toolkit/QtPlatform.h"

#include "toolkit/Bytes.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTime>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace toolkit {

namespace {

class QtTimerBackend : public TimerBackend {
public:
    QtTimerBackend()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

QMessageBox::StandardButtons standardButtons(MsgButtons b)
{
    switch (b) {
    case MsgButtons::OK: return QMessageBox::Ok;
    case MsgButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon qtIcon(MsgIcon i)
{
    switch (i) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MsgResult resultOf(int button, MsgButtons set)
{
    switch (button) {
    case QMessageBox::Ok: return MsgResult::OK;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Abort: return MsgResult::Abort;
    case QMessageBox::Retry: return MsgResult::Retry;
    case QMessageBox::Ignore: return MsgResult::Ignore;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: break;
    }
    // Closed by the window manager: the box's escape answer.
    switch (set) {
    case MsgButtons::OK: return MsgResult::OK;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Abort;
    default: return MsgResult::Cancel;
    }
}

// What a box answers while the program ends on a signal: whatever lets the end go on.
MsgResult endingAnswer(MsgButtons set)
{
    switch (set) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::AbortRetryIgnore: return MsgResult::Ignore;
    case MsgButtons::YesNo: return MsgResult::No;
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel: return MsgResult::Cancel;
    }
    return MsgResult::Cancel;
}

} // namespace

QtPlatform::QtPlatform(std::string programTitle)
    : title_(std::move(programTitle)), startMsSinceEpoch_(QDateTime::currentMSecsSinceEpoch()),
      startTimeOfDay_(QTime::currentTime().msecsSinceStartOfDay() / 1000.0)
{
}

double QtPlatform::timeOfDay()
{
    return startTimeOfDay_ + (QDateTime::currentMSecsSinceEpoch() - startMsSinceEpoch_) / 1000.0;
}

std::unique_ptr<TimerBackend> QtPlatform::createTimer() { return std::make_unique<QtTimerBackend>(); }

void QtPlatform::doEvents()
{
    // Handle what is pending; when nothing is, sleep until an event arrives or 10 ms pass.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(10);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

MsgResult QtPlatform::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon, std::string_view title)
{
    if (endSignal_)
        return endingAnswer(buttons);
    QMessageBox box(qtIcon(icon), toQt(title.empty() ? std::string_view(title_) : title), toQt(text),
                    standardButtons(buttons), QApplication::activeWindow());
    box.setObjectName("messageBox");
    return resultOf(box.exec(), buttons);
}

void QtPlatform::showNotice(const std::string& key, std::string_view text)
{
    if (endSignal_)
        return;
    Notice& notice = notices_[key];
    if (notice.box) {
        ++notice.times;
        notice.box->setIcon(QMessageBox::Warning);   // it may have been settled meanwhile
        notice.box->setText(toQt(text) + QStringLiteral("\n\n(This has happened %1 times since this message first "
                                                        "appeared.)").arg(notice.times));
        return;
    }
    notice.times = 1;
    notice.box = new QMessageBox(QMessageBox::Warning, toQt(title_), toQt(text), QMessageBox::Ok);
    notice.box->setObjectName("messageBox");
    notice.box->setAttribute(Qt::WA_DeleteOnClose);
    notice.box->setWindowModality(Qt::NonModal);
    notice.box->show();
}

void QtPlatform::settleNotice(const std::string& key, std::string_view text)
{
    const auto found = notices_.find(key);
    if (found == notices_.end() || !found->second.box)
        return;
    const Notice& notice = found->second;
    notice.box->setIcon(QMessageBox::Information);
    notice.box->setText(toQt(text) + (notice.times > 1 ? QStringLiteral("\n\n(This has happened %1 times since this message "
                                                                        "first appeared.)").arg(notice.times) : QString()));
}

void QtPlatform::endOnSignal(int signalNumber) { endSignal_ = signalNumber; }

QString qtFileFilter(const std::string& filter)
{
    const QStringList parts = toQt(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = p.trimmed();
            if (trimmed == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << trimmed.toLower();
            if (trimmed.toUpper() != trimmed.toLower())
                patterns << trimmed.toUpper();
        }
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

bool QtPlatform::openFileDialog(const std::string& title, const std::string& filter, std::string& fileName)
{
    QFileDialog dialog(QApplication::activeWindow(), toQt(title));
    dialog.setObjectName("fileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist yet may be typed: the commands decide what to do with it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFileFilter(filter));
    if (!fileName.empty())
        dialog.selectFile(QFile::decodeName(fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    // Paths stay in the file system's own encoding so that any existing file can be opened.
    fileName = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    return true;
}

void QtPlatform::beep() { QApplication::beep(); }

void QtPlatform::endProgram()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    std::fflush(nullptr);
    // Every file the programs write goes straight to the system, so nothing is left to flush.
    if (endSignal_) {
        std::signal(endSignal_, SIG_DFL);
        std::raise(endSignal_);
    }
    ::_exit(0);
}

} // namespace toolkit
