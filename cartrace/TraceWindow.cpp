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
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <fstream>

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
    if (s->faultCode > 0)
        text += QString("Fault %1 at floor %2: %3\n")
                    .arg(s->faultCode)
                    .arg(s->faultFloor)
                    .arg(toolkit::toQt(faultDescription(s->faultCode)).simplified());
    else
        text += "Fault -\n";
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

TraceWindow::TraceWindow(std::unique_ptr<TraceData> data)
    : data_(std::move(data)), timeline_(new TimelineWidget(*data_)), state_(new QPlainTextEdit),
      status_(new QLabel), follow_(new QTimer(this))
{
    setWindowTitle(QString::fromStdString(data_->name()).section('/', -1) + " - cartrace");
    auto* scroll = new QScrollArea;
    scroll->setWidget(timeline_);
    scroll->setWidgetResizable(true);
    timeline_->setMinimumHeight(TimelinePainter::heightFor(timeline_->view().lanes.size()));
    state_->setReadOnly(true);
    state_->setAccessibleName("State at the cursor");
    state_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    state_->setMinimumWidth(400);
    auto* central = new QWidget;
    auto* row = new QHBoxLayout(central);
    row->addWidget(scroll, 1);
    row->addWidget(state_);
    setCentralWidget(central);
    statusBar()->addWidget(status_, 1);

    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&Open...", QKeySequence::Open, this, [this] { openAnother(); });
    file->addSeparator();
    file->addAction("Export view as &PNG...", this, [this] { exportView("PNG images (*.png)", ".png"); });
    file->addAction("Export view as &SVG...", this, [this] { exportView("SVG drawings (*.svg)", ".svg"); });
    file->addAction("Export replies as &CSV...", this, [this] { exportCsv(); });
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
        status_->setText(QString("%1 replies, %2 faults, %3 s")
                             .arg(data_->states().size())
                             .arg(data_->faults().size())
                             .arg(data_->duration() / 1e6, 0, 'f', 1));
}

void TraceWindow::showState()
{
    const long long at = timeline_->view().cursor >= 0 ? timeline_->view().cursor : data_->duration();
    state_->setPlainText(stateText(*data_, at));
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
    QString path = QFileDialog::getSaveFileName(this, "Export replies", QString(), "CSV files (*.csv)");
    if (path.isEmpty())
        return;
    std::ofstream out(path.toStdString(), std::ios::binary);
    writeCsv(*data_, out);
    out.close();
    status_->setText(out ? "Saved " + path : path + ": cannot be written");
}

} // namespace cartrace
