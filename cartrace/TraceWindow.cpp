#include "cartrace/TraceWindow.h"

#include "cartrace/CsvExport.h"
#include "cartrace/TimelineExport.h"
#include "cartrace/TimelineWidget.h"
#include "toolkit/Bytes.h"

#include <QDialog>
#include <QKeySequence>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace cartrace {

using carterm::reply::kSignalNames;

QString stateText(const TraceData& data, long long time)
{
    QString text = QString("Time  %1  (+%2 s)\n")
                       .arg(QString::fromStdString(serial::capture::isoMillis(data.startEpochMicros() + time)))
                       .arg(time / 1e6, 0, 'f', 3);
    const carterm::reply::CarState* s = data.stateAt(time);
    if (s == nullptr)
        return text + "No reply yet.\n";
    text += QString("Floor %1   Velocity %2   BBT %3\n")
                .arg(s->floor > 0 ? QString::number(s->floor) : "-")
                .arg(s->velocity >= 0 ? QString::number(s->velocity) : "-")
                .arg(s->bbt[0] ? QString::fromLatin1(s->bbt).trimmed() : "-");
    if (!data.openAt(time))
        text += "The port was not open: these are the values from before.\n";
    if (s->faultCode > 0)
        text += QString("Fault %1 at floor %2: %3\n")
                    .arg(s->faultCode)
                    .arg(s->faultFloor)
                    .arg(toolkit::toQt(faultDescription(s->faultCode)).simplified());
    else
        text += "Fault -\n";
    if (s->faults[0].code >= 0) {
        text += "Registers";
        for (int n = 0; n < 4; ++n)
            text += s->faults[n].code >= 0 ? QString("  FLT%1=%2 FL %3").arg(n).arg(s->faults[n].code).arg(s->faults[n].floor)
                                           : QString("  FLT%1=-").arg(n);
        text += "\n";
    }
    text += "\n";
    if (!s->hasTable)
        return text + "No I/O table yet.\n";
    for (int row = 1; row <= 16; ++row) {
        QString line;
        for (int col = 0; col <= 6; col += 2) {
            QString cell;
            for (std::size_t i = 0; i < carterm::reply::kSignalCount; ++i)
                if (kSignalNames[i].col == col && kSignalNames[i].row == row)
                    cell = QString("%1%2").arg(QString::fromLatin1(kSignalNames[i].name), -9).arg(s->signalBits[i] ? 1 : 0);
            line += QString("%1").arg(cell, -12);
        }
        text += line.trimmed().isEmpty() ? "\n" : line + "\n";
    }
    return text;
}

QString bytesText(TraceData& data, long long time)
{
    const long long start = data.startEpochMicros();
    QString text = "RX received, TX sent\n";
    bool cursorShown = false;
    const auto cursorLine = [&] {
        text += QString("---- cursor %1 ----\n")
                    .arg(QString::fromStdString(serial::capture::isoMillis(start + time)).mid(11, 12));
        cursorShown = true;
    };
    constexpr std::size_t kShown = 96;
    for (const RawPiece& piece : data.bytesAround(time, 6, 3, kShown)) {
        if (!cursorShown && piece.time > time)
            cursorLine();
        text += QString("%1  +%2 s  %3 %4 byte%5\n")
                    .arg(QString::fromStdString(serial::capture::isoMillis(start + piece.time)).mid(11, 12))
                    .arg(piece.time / 1e6, 0, 'f', 3)
                    .arg(piece.sent ? "TX" : "RX")
                    .arg(piece.length)
                    .arg(piece.length == 1 ? "" : "s");
        for (std::size_t at = 0; at < piece.bytes.size(); at += 16) {
            QString hex, chars;
            for (std::size_t i = at; i < at + 16; ++i) {
                if (i >= piece.bytes.size()) {
                    hex += "   ";
                    continue;
                }
                const auto c = static_cast<unsigned char>(piece.bytes[i]);
                hex += QString("%1 ").arg(c, 2, 16, QChar('0'));
                chars += c >= 0x20 && c < 0x7f ? QChar(c) : QChar('.');
            }
            text += "  " + hex + " " + chars + "\n";
        }
        if (piece.length > static_cast<long long>(piece.bytes.size()))
            text += QString("  ... %1 more\n").arg(piece.length - static_cast<long long>(piece.bytes.size()));
    }
    if (!cursorShown)
        cursorLine();
    return text;
}

TraceWindow::TraceWindow(std::unique_ptr<TraceData> data)
    : data_(std::move(data)), timeline_(new TimelineWidget(*data_)), state_(new QPlainTextEdit),
      bytes_(new QPlainTextEdit), status_(new QLabel), follow_(new QTimer(this))
{
    setWindowTitle(QString::fromStdString(data_->name()).section('/', -1) + " - cartrace");
    auto* scroll = new QScrollArea;
    scroll->setWidget(timeline_);
    scroll->setWidgetResizable(true);
    timeline_->setMinimumHeight(TimelinePainter::heightFor(timeline_->view().lanes.size()));
    state_->setReadOnly(true);
    state_->setAccessibleName("State at the cursor");
    state_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    state_->setMinimumWidth(480);
    bytes_->setReadOnly(true);
    bytes_->setAccessibleName("Bytes at the cursor");
    bytes_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    bytes_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Sixteen bytes in hexadecimal and as characters, whole.
    bytes_->setMinimumWidth(bytes_->fontMetrics().horizontalAdvance(QString(72, '0')));
    auto* panels = new QSplitter(Qt::Vertical);
    panels->addWidget(state_);
    panels->addWidget(bytes_);
    auto* central = new QWidget;
    auto* row = new QHBoxLayout(central);
    row->addWidget(scroll, 1);
    row->addWidget(panels);
    setCentralWidget(central);
    statusBar()->addWidget(status_, 1);

    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&Open...", QKeySequence::Open, this, [this] { openAnother(); });
    file->addSeparator();
    file->addAction("Export view as &PNG...", this, [this] { exportView("PNG images (*.png)", ".png"); });
    file->addAction("Export view as &SVG...", this, [this] { exportView("SVG drawings (*.svg)", ".svg"); });
    file->addAction("Export as &CSV...", this, [this] { exportCsv(); });
    file->addSeparator();
    file->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });
    QMenu* view = menuBar()->addMenu("&View");
    view->addAction("Zoom &in", QKeySequence::ZoomIn, this, [this] {
        timeline_->zoom(0.5, (timeline_->view().from + timeline_->view().to) / 2);
    });
    view->addAction("Zoom &out", QKeySequence::ZoomOut, this, [this] {
        timeline_->zoom(2, (timeline_->view().from + timeline_->view().to) / 2);
    });
    view->addAction("&Whole session", QKeySequence("Ctrl+0"), this, [this] { timeline_->showAll(); });
    view->addSeparator();
    view->addAction("&Next fault", QKeySequence("N"), this, [this] { nextFault(1); });
    view->addAction("&Previous fault", QKeySequence("P"), this, [this] { nextFault(-1); });
    view->addSeparator();
    view->addAction("&Signals...", this, [this] { chooseSignals(); });

    timeline_->onCursorMoved = [this] { showState(); };
    connect(follow_, &QTimer::timeout, this, [this] { follow(); });
    follow_->start(500);
    showState();
    resize(1500, 760);
}

TraceWindow::~TraceWindow() = default;

void TraceWindow::openAnother()
{
    const QString chosen = QFileDialog::getOpenFileName(this, "Open a recorded session",
                                                        QString::fromStdString(data_->name()).section('/', 0, -2),
                                                        "Session captures (*.timing *.data)");
    if (chosen.isEmpty())
        return;
    auto data = std::make_unique<TraceData>();
    if (!data->open(chosen.toStdString())) {
        QMessageBox::warning(this, "cartrace", QString::fromStdString(data->error()));
        return;
    }
    // A window of its own, beside this one.
    auto* window = new TraceWindow(std::move(data));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void TraceWindow::follow()
{
    const long long before = data_->duration();
    if (data_->follow()) {
        timeline_->dataGrew(before);
        if (timeline_->view().cursor < 0)
            showState();   // no cursor yet: the panel shows the newest state
    }
    if (!data_->error().empty())
        status_->setText(QString::fromStdString(data_->error()));
    else
        status_->setText(statusText());
}

QString TraceWindow::statusText() const
{
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return QString("%1 %2").arg(n).arg(n == 1 ? one : many);
    };
    return count(data_->states().size(), "reply", "replies") + ", " +
           count(data_->operatorCommands(), "command", "commands") + ", " +
           count(data_->faults().size(), "fault", "faults") + QString(", %1 s").arg(data_->duration() / 1e6, 0, 'f', 1);
}

void TraceWindow::showState()
{
    const long long at = timeline_->view().cursor >= 0 ? timeline_->view().cursor : data_->duration();
    state_->setPlainText(stateText(*data_, at));
    bytes_->setPlainText(bytesText(*data_, at));
    // The cursor's line in the middle, the pieces before and after it around.
    bytes_->moveCursor(QTextCursor::End);
    if (bytes_->find("---- cursor", QTextDocument::FindBackward)) {
        QTextCursor at = bytes_->textCursor();
        at.clearSelection();
        bytes_->setTextCursor(at);
        bytes_->centerCursor();
    }
}

void TraceWindow::nextFault(int direction)
{
    const long long now = timeline_->view().cursor >= 0 ? timeline_->view().cursor
                                                        : (direction > 0 ? -1 : data_->duration() + 1);
    const auto chosen = direction > 0 ? data_->faultIndex().after(now) : data_->faultIndex().before(now);
    if (!chosen) {
        status_->setText(direction > 0 ? "No fault after the cursor." : "No fault before the cursor.");
        return;
    }
    timeline_->setCursorTime(*chosen);
}

void TraceWindow::chooseSignals()
{
    QDialog dialog(this);
    dialog.setWindowTitle("Signal lanes");
    auto* list = new QListWidget(&dialog);
    list->setAccessibleName("Signals");
    const auto& shown = timeline_->view().lanes;
    for (std::size_t i = 0; i < carterm::reply::kSignalCount; ++i) {
        auto* item = new QListWidgetItem(QString::fromLatin1(carterm::reply::plainSignalName(kSignalNames[i])), list);
        item->setCheckState(std::find(shown.begin(), shown.end(), i) != shown.end() ? Qt::Checked : Qt::Unchecked);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(list);
    column->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    std::vector<std::size_t> chosen;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            chosen.push_back(static_cast<std::size_t>(i));
    timeline_->setSignals(std::move(chosen));
}

void TraceWindow::exportView(const QString& filter, const QString& suffix)
{
    QString path = QFileDialog::getSaveFileName(this, "Export view", QString(), filter);
    if (path.isEmpty())
        return;
    if (!path.endsWith(suffix, Qt::CaseInsensitive))
        path += suffix;
    const std::string error = exportTimeline(*data_, timeline_->view(), path.toStdString(),
                                             std::max(timeline_->width(), 800));
    status_->setText(error.empty() ? "Saved " + path : QString::fromStdString(error));
}

void TraceWindow::exportCsv()
{
    QString path = QFileDialog::getSaveFileName(this, "Export as CSV", QString(), "CSV files (*.csv)");
    if (path.isEmpty())
        return;
    if (!path.endsWith(".csv", Qt::CaseInsensitive))
        path += ".csv";
    // The fault entries and their descriptions beside it: NAME-faults.csv.
    const QString faults = path.left(path.size() - 4) + "-faults.csv";
    std::string error = writeFile(path.toStdString(), [this](std::ostream& out) { writeCsv(*data_, out); });
    if (error.empty())
        error = writeFile(faults.toStdString(), [this](std::ostream& out) { writeFaultsCsv(*data_, out); });
    status_->setText(error.empty() ? "Saved " + path + " and " + faults : QString::fromStdString(error));
}

} // namespace cartrace
