#include "carfleet/FleetWindow.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace carfleet {

namespace {

constexpr int kLongestHoldMinutes = 7 * 24 * 60;   // as carwatch accepts

QString userName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_name != nullptr)
        return QString::fromLocal8Bit(pw->pw_name);
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QString("technician") : user;
}

// A label over a control, whose text is also the control's accessible name.
QWidget* labelled(const QString& text, QWidget* control)
{
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(text);
    label->setBuddy(control);
    control->setAccessibleName(QString(text).remove('&'));
    column->addWidget(label);
    column->addWidget(control, 1);
    return box;
}

} // namespace

void FleetFilter::setSite(const QString& site)
{
    site_ = site;
    invalidateFilter();
}

void FleetFilter::setShow(Show show)
{
    show_ = show;
    invalidateFilter();
}

bool FleetFilter::filterAcceptsRow(int row, const QModelIndex&) const
{
    const auto* model = static_cast<const FleetModel*>(sourceModel());
    const Car* car = model->car(row);
    if (car == nullptr || (!site_.isEmpty() && car->site != site_))
        return false;
    switch (show_) {
    case NewFaults:
        return car->unacknowledged > 0;
    case AnyFault:
        return !car->recent.empty() || !car->log.empty();
    case AllCars:
        break;
    }
    return true;
}

FleetWindow::FleetWindow(BrokerSetting setting)
    : table_(new QTableView), faults_(new QListWidget), site_(new QComboBox), show_(new QComboBox),
      status_(new QLabel)
{
    filter_.setSourceModel(&model_);
    filter_.setSortRole(FleetModel::kSortRole);
    filter_.setDynamicSortFilter(true);
    table_->setModel(&filter_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(FleetModel::Site, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->setWordWrap(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(FleetModel::FaultText, QHeaderView::Stretch);
    table_->setAlternatingRowColors(true);
    table_->setTabKeyNavigation(false);

    site_->addItem("All sites", QString());
    show_->addItem("All cars", FleetFilter::AllCars);
    show_->addItem("Cars with new faults", FleetFilter::NewFaults);
    show_->addItem("Cars with a fault", FleetFilter::AnyFault);
    connect(site_, &QComboBox::currentIndexChanged, this, [this] { filter_.setSite(site_->currentData().toString()); });
    connect(show_, &QComboBox::currentIndexChanged, this,
            [this] { filter_.setShow(FleetFilter::Show(show_->currentData().toInt())); });
    auto* acknowledgeButton = new QPushButton("&Acknowledge");
    connect(acknowledgeButton, &QPushButton::clicked, this, [this] { acknowledge(); });

    auto* filters = new QHBoxLayout;
    auto* siteLabel = new QLabel("&Site:");
    siteLabel->setBuddy(site_);
    site_->setAccessibleName("Site");
    auto* showLabel = new QLabel("Sho&w:");
    showLabel->setBuddy(show_);
    show_->setAccessibleName("Show");
    filters->addWidget(siteLabel);
    filters->addWidget(site_);
    filters->addSpacing(12);
    filters->addWidget(showLabel);
    filters->addWidget(show_);
    filters->addStretch(1);
    filters->addWidget(acknowledgeButton);

    table_->setAccessibleDescription("One row per car; a new fault colours its row until acknowledged (Ctrl+K)");
    faults_->setAccessibleDescription("The chosen car's faults since carfleet started, then its controller's log");
    faults_->setMinimumWidth(340);
    faults_->setWordWrap(true);
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(labelled("Ca&rs", table_));
    split->addWidget(labelled("Recent fa&ults", faults_));
    split->setStretchFactor(0, 1);
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->addLayout(filters);
    column->addWidget(split, 1);
    setCentralWidget(central);
    statusBar()->addWidget(status_, 1);

    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&Broker...", this, [this] { chooseBroker(); });
    file->addSeparator();
    file->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });
    QMenu* car = menuBar()->addMenu("&Car");
    car->addAction("&Acknowledge", QKeySequence("Ctrl+K"), this, [this] { acknowledge(); });
    car->addAction("Acknowledge a&ll", QKeySequence("Ctrl+Shift+K"), this, [this] {
        model_.acknowledgeAll();
        refresh();
    });
    car->addSeparator();
    car->addAction("&Hand over...", QKeySequence("Ctrl+H"), this, [this] { handOver(); });
    car->addAction("&Take back", QKeySequence("Ctrl+Shift+H"), this, [this] { takeBack(); });
    QMenu* view = menuBar()->addMenu("&View");
    view->addAction("Sort by &site", this, [this] { table_->sortByColumn(FleetModel::Site, Qt::AscendingOrder); });
    view->addAction("Sort by &fault", this, [this] { table_->sortByColumn(FleetModel::FaultCode, Qt::DescendingOrder); });
    view->addAction("Sort by &last state", this, [this] { table_->sortByColumn(FleetModel::Age, Qt::DescendingOrder); });

    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showFaults(); });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!table_->currentIndex().isValid() && filter_.rowCount() > 0)
            table_->setCurrentIndex(filter_.index(0, 0));
    });
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { model_.tick(QDateTime::currentDateTimeUtc()); });
    clock->start(1000);

    refresh();
    resize(1380, 620);
    connectTo(setting);
}

FleetWindow::~FleetWindow() = default;

void FleetWindow::connectTo(const BrokerSetting& setting)
{
    broker_.reset();
    setting_ = setting;
    mqtt::Broker::Settings settings;
    if (const QString problem = resolve(setting, settings); !problem.isEmpty()) {
        status_->setText(problem);
        return;
    }
    broker_ = std::make_unique<mqtt::Broker>(settings);
    broker_->onConnected = [this] {
        broker_->subscribe("hoistwise/#");
        status_->setText("Connected to " + setting_.url);
    };
    broker_->onDisconnected = [this](const std::string& why) {
        status_->setText(QString("Connection to %1 lost (%2); trying again").arg(setting_.url, QString::fromStdString(why)));
    };
    broker_->onProblem = [this](const std::string& why, bool) {
        status_->setText(QString::fromStdString(why));
        std::fprintf(stderr, "carfleet: %s\n", why.c_str());
    };
    broker_->onMessage = [this](const std::string& topic, const std::string& payload) { received(topic, payload); };
    if (const std::string problem = broker_->start(); !problem.empty()) {
        status_->setText(QString::fromStdString(problem));
        broker_.reset();
        return;
    }
    status_->setText("Connecting to " + setting_.url + "...");
}

void FleetWindow::received(const std::string& topic, const std::string& payload)
{
    const QString problem = model_.message(QString::fromStdString(topic), QByteArray::fromStdString(payload),
                                           QDateTime::currentDateTimeUtc());
    if (!problem.isEmpty()) {
        status_->setText(problem);
        std::fprintf(stderr, "carfleet: %s\n", problem.toLocal8Bit().constData());
    }
    refresh();
}

void FleetWindow::refresh()
{
    const int count = model_.unacknowledged();
    setWindowTitle(count == 0 ? QString("carfleet")
                              : QString("carfleet - %1 new fault%2").arg(count).arg(count == 1 ? "" : "s"));
    const QStringList sites = model_.sites();
    for (const QString& site : sites)
        if (site_->findData(site) < 0)
            site_->addItem(site, site);
    showFaults();
}

int FleetWindow::selectedRow() const
{
    const QModelIndex current = table_->currentIndex();
    return current.isValid() ? filter_.mapToSource(current).row() : -1;
}

void FleetWindow::showFaults()
{
    faults_->clear();
    const Car* car = model_.car(selectedRow());
    if (car == nullptr)
        return;
    const auto line = [](const Fault& f) {
        return QString("%1  fault %2 at floor %3: %4")
            .arg(f.time.isValid() ? f.time.toLocalTime().toString("yyyy-MM-dd HH:mm:ss") : QString("in the log"))
            .arg(f.code)
            .arg(f.floor)
            .arg(f.description);
    };
    faults_->addItem(QString("%1/%2, since carfleet started:").arg(car->site, car->name));
    if (car->recent.empty())
        faults_->addItem("  none");
    for (std::size_t i = 0; i < car->recent.size(); ++i) {
        auto* item = new QListWidgetItem(line(car->recent[i]), faults_);
        if (static_cast<int>(i) < car->unacknowledged) {
            item->setText(item->text() + " (new)");
            item->setBackground(QColor(255, 205, 160));
        }
    }
    faults_->addItem("The controller's fault log, newest first:");
    if (car->log.empty())
        faults_->addItem(car->hasState ? "  empty" : "  not read yet");
    for (const Fault& f : car->log)
        faults_->addItem(line(f));
}

void FleetWindow::acknowledge()
{
    model_.acknowledge(selectedRow());
    refresh();
}

void FleetWindow::handOver()
{
    const Car* car = model_.car(selectedRow());
    if (car == nullptr)
        return;
    bool ok = false;
    const int minutes = QInputDialog::getInt(this, "Hand over",
                                             QString("Minutes the watcher leaves the line of %1/%2:").arg(car->site, car->name),
                                             30, 1, kLongestHoldMinutes, 1, &ok);
    if (!ok)
        return;
    sendHold(QJsonDocument(QJsonObject{{"minutes", minutes}, {"by", userName()}}).toJson(QJsonDocument::Compact));
}

void FleetWindow::takeBack() { sendHold({}); }

void FleetWindow::sendHold(const QString& payload)
{
    const Car* car = model_.car(selectedRow());
    if (car == nullptr)
        return;
    const std::string topic = QString("hoistwise/%1/%2/hold").arg(car->site, car->name).toStdString();
    if (!broker_ || broker_->publish(topic, payload.toStdString(), 1, true) < 0) {
        status_->setText("Not connected to the broker: nothing was sent");
        return;
    }
    status_->setText(payload.isEmpty() ? QString("Hold withdrawn: %1/%2").arg(car->site, car->name)
                                       : QString("Hold sent: %1/%2 %3").arg(car->site, car->name, payload));
}

void FleetWindow::chooseBroker()
{
    QDialog dialog(this);
    dialog.setWindowTitle("Broker");
    auto* url = new QLineEdit(setting_.url);
    url->setPlaceholderText("mqtt://HOST:PORT or mqtts://HOST:PORT?ca=FILE");
    url->setMinimumWidth(420);
    auto* user = new QLineEdit(setting_.user);
    auto* password = new QLineEdit(setting_.passwordFile);
    auto* form = new QFormLayout(&dialog);
    form->addRow("Broker &URL:", url);
    form->addRow("&User:", user);
    form->addRow("&Password file:", password);
    url->setAccessibleName("Broker URL");
    user->setAccessibleName("User");
    password->setAccessibleName("Password file");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    BrokerSetting chosen;
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        chosen = {url->text().trimmed(), user->text().trimmed(), password->text().trimmed()};
        mqtt::Broker::Settings check;
        if (const QString problem = resolve(chosen, check); !problem.isEmpty()) {
            QMessageBox::warning(&dialog, "Broker", problem);
            return;
        }
        dialog.accept();
    });
    if (dialog.exec() != QDialog::Accepted)
        return;
    saveSetting(chosen);
    connectTo(chosen);
}

} // namespace carfleet
