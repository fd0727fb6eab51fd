#include "carfleet/FleetModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace carfleet {

namespace {

const char* const kHeaders[] = {"Site", "Car", "Link", "Floor", "Motion", "Velocity", "BBT", "Fault", "Fault floor",
                                "Description", "Fault time", "Last state"};
static_assert(std::size(kHeaders) == FleetModel::ColumnCount);

std::optional<int> integer(const QJsonValue& v)
{
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        return std::nullopt;
    return static_cast<int>(v.toDouble());
}

QString shortText(const QByteArray& payload) { return QString::fromUtf8(payload.left(120)).simplified(); }

Fault faultFrom(const QJsonObject& o)
{
    return {integer(o.value("code")).value_or(0), integer(o.value("floor")).value_or(0),
            o.value("description").toString().simplified(),
            QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs)};
}

QString timeText(const QDateTime& t, const QDateTime& now)
{
    if (!t.isValid())
        return "in the log";
    const QDateTime local = t.toLocalTime();
    return local.date() == now.toLocalTime().date() ? local.toString("HH:mm:ss") : local.toString("yyyy-MM-dd HH:mm");
}

} // namespace

FleetModel::FleetModel(QObject* parent) : QAbstractTableModel(parent), now_(QDateTime::currentDateTimeUtc()) {}

QString FleetModel::message(const QString& topic, const QByteArray& payload, const QDateTime& now)
{
    now_ = now;
    const QStringList level = topic.split('/');
    if (level.size() != 4 || level[0] != "hoistwise" || level[1].isEmpty() || level[2].isEmpty())
        return {};
    if (level[2] == "watcher") {
        watcher(level[1], level[3], payload);
        return {};
    }
    if (level[3] != "state" && level[3] != "fault" && level[3] != "hold")
        return {};
    // An empty hold withdraws one that may be for a car not seen yet: no row for it.
    if (payload.isEmpty() && level[3] != "state" && std::none_of(cars_.begin(), cars_.end(), [&](const Car& c) {
            return c.site == level[1] && c.name == level[2];
        }))
        return {};
    Car& car = carFor(level[1], level[2]);
    QString problem;
    if (level[3] == "state")
        problem = state(car, payload, now);
    else if (level[3] == "fault")
        problem = fault(car, payload, now);
    else
        problem = hold(car, payload);
    changed(static_cast<int>(&car - cars_.data()));
    return problem.isEmpty() ? problem : topic + ": " + problem;
}

Car& FleetModel::carFor(const QString& site, const QString& name)
{
    for (Car& car : cars_)
        if (car.site == site && car.name == name)
            return car;
    const int row = static_cast<int>(cars_.size());
    beginInsertRows({}, row, row);
    Car car;
    car.site = site;
    car.name = name;
    cars_.push_back(std::move(car));
    endInsertRows();
    return cars_.back();
}

QString FleetModel::state(Car& car, const QByteArray& payload, const QDateTime& now)
{
    if (payload.isEmpty())
        return {};   // a retained state cleared by hand: keep what was known
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (!doc.isObject())
        return "not a state (" + error.errorString() + "): " + shortText(payload);
    const QJsonObject o = doc.object();
    car.hasState = true;
    car.link = o.value("link").toString();
    car.floor = integer(o.value("floor"));
    car.velocity = integer(o.value("velocity"));
    car.bbt = o.value("bbt").isString() ? std::optional(o.value("bbt").toString()) : std::nullopt;
    car.signalValues.reset();
    if (o.value("signals").isObject()) {
        std::map<QString, int> values;
        const QJsonObject s = o.value("signals").toObject();
        for (auto it = s.begin(); it != s.end(); ++it)
            values[it.key()] = it.value().toInt();
        car.signalValues = std::move(values);
    }
    car.log.clear();
    for (const QJsonValue& f : o.value("faults").toArray()) {
        Fault entry = faultFrom(f.toObject());
        entry.time = {};
        car.log.push_back(std::move(entry));
    }
    if (const double poll = o.value("poll").toDouble(0); std::isfinite(poll) && poll > 0)
        car.pollSeconds = poll;
    // A retained state may be hours old: its own time says when it was true, unless that
    // machine's clock runs ahead of ours.
    const QDateTime stated = QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs);
    car.stateTime = stated.isValid() && stated < now ? stated : now;
    // The car's watcher is the one of its site that is online, when there is only one.
    QString online;
    int count = 0;
    for (const auto& [key, up] : watchers_)
        if (key.first == car.site && up) {
            online = key.second;
            ++count;
        }
    if (count == 1)
        car.watcher = online;
    return {};
}

QString FleetModel::fault(Car& car, const QByteArray& payload, const QDateTime& now)
{
    const QJsonDocument doc = QJsonDocument::fromJson(payload);
    if (!doc.isObject() || !integer(doc.object().value("code")))
        return "not a fault message: " + shortText(payload);
    Fault f = faultFrom(doc.object());
    if (!f.time.isValid())
        f.time = now;
    car.recent.insert(car.recent.begin(), std::move(f));
    ++car.unacknowledged;
    return {};
}

QString FleetModel::hold(Car& car, const QByteArray& payload)
{
    car.holdBy.clear();
    car.holdMinutes = 0;
    if (payload.isEmpty())
        return {};
    const QJsonObject o = QJsonDocument::fromJson(payload).object();
    if (!o.value("by").isString() || !integer(o.value("minutes")))
        return "not a hold: " + shortText(payload);
    car.holdBy = o.value("by").toString();
    car.holdMinutes = *integer(o.value("minutes"));
    return {};
}

void FleetModel::watcher(const QString& site, const QString& host, const QByteArray& payload)
{
    if (payload.isEmpty()) {
        watchers_.erase({site, host});
    } else {
        watchers_[{site, host}] = payload.trimmed() == "online";
        // A car of a site with one watcher, seen before that watcher spoke, is that watcher's.
        int known = 0;
        for (const auto& entry : watchers_)
            known += entry.first.first == site;
        if (known == 1)
            for (Car& car : cars_)
                if (car.site == site && car.watcher.isEmpty())
                    car.watcher = host;
    }
    for (std::size_t row = 0; row < cars_.size(); ++row)
        if (cars_[row].site == site)
            changed(static_cast<int>(row));
}

void FleetModel::tick(const QDateTime& now)
{
    now_ = now;
    if (!cars_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int FleetModel::unacknowledged() const
{
    int n = 0;
    for (const Car& car : cars_)
        n += car.unacknowledged;
    return n;
}

void FleetModel::acknowledge(int row)
{
    if (row < 0 || row >= rowCount() || cars_[row].unacknowledged == 0)
        return;
    cars_[row].unacknowledged = 0;
    changed(row);
}

void FleetModel::acknowledgeAll()
{
    for (int row = 0; row < rowCount(); ++row)
        acknowledge(row);
}

QStringList FleetModel::sites() const
{
    QStringList out;
    for (const Car& car : cars_)
        if (!out.contains(car.site))
            out << car.site;
    out.sort();
    return out;
}

QString FleetModel::motion(const Car& car)
{
    if (car.signalValues) {
        const auto on = [&](const char* name) {
            const auto it = car.signalValues->find(name);
            return it != car.signalValues->end() && it->second == 1;
        };
        if (on("UP"))
            return "up";
        if (on("DP"))
            return "down";
    }
    // The controller's velocity has no sign: without the direction signals, only whether.
    if (!car.velocity)
        return car.signalValues ? "standing" : "";
    return *car.velocity != 0 ? "moving" : "standing";
}

bool FleetModel::silent(const Car& car) const
{
    return car.hasState && car.stateTime.msecsTo(now_) > static_cast<qint64>(3000 * car.pollSeconds);
}

bool FleetModel::watcherOffline(const Car& car) const
{
    if (!car.watcher.isEmpty()) {
        const auto it = watchers_.find({car.site, car.watcher});
        return it != watchers_.end() && !it->second;
    }
    bool any = false;
    for (const auto& [key, up] : watchers_)
        if (key.first == car.site) {
            if (up)
                return false;
            any = true;
        }
    return any;
}

QString FleetModel::ageText(qint64 seconds)
{
    if (seconds < 120)
        return QString("%1 s").arg(std::max<qint64>(seconds, 0));
    if (seconds < 7200)
        return QString("%1 min").arg(seconds / 60);
    if (seconds < 2 * 86400)
        return QString("%1 h").arg(seconds / 3600);
    return QString("%1 days").arg(seconds / 86400);
}

const Fault* FleetModel::newestFault(const Car& car) const
{
    if (!car.recent.empty())
        return &car.recent.front();
    return car.log.empty() ? nullptr : &car.log.front();
}

int FleetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(cars_.size());
}

int FleetModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FleetModel::data(const QModelIndex& index, int role) const
{
    const Car* c = car(index.row());
    if (c == nullptr)
        return {};
    const Car& car = *c;
    if (role == kCarRole)
        return car.site + "/" + car.name;
    if (role == Qt::BackgroundRole) {
        if (car.unacknowledged > 0)
            return QBrush(QColor(255, 205, 160));
        if (watcherOffline(car) || car.link == "down")
            return QBrush(QColor(225, 225, 225));
        return {};
    }
    if (role == Qt::FontRole && car.unacknowledged > 0) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == Floor || index.column() == Velocity ||
                                          index.column() == FaultCode || index.column() == FaultFloor))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    const Fault* newest = newestFault(car);
    const qint64 age = car.hasState ? car.stateTime.secsTo(now_) : -1;
    if (role == kSortRole) {
        switch (index.column()) {
        case Floor:
            return car.floor.value_or(-1);
        case Velocity:
            return car.velocity.value_or(-1);
        case FaultCode:
        case FaultFloor:
        case FaultText:
        case FaultTime:
            // Unacknowledged first, then the newest fault, then any fault, then none.
            return newest == nullptr ? QString("0")
                                     : QString("%1%2").arg(car.unacknowledged > 0 ? "3" : newest->time.isValid() ? "2" : "1")
                                           .arg(newest->time.toMSecsSinceEpoch(), 15, 10, QChar('0'));
        case Age:
            return age;
        default:
            break;
        }
        return data(index, Qt::DisplayRole);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Site:
        return car.site;
    case CarName:
        return car.name;
    case Link: {
        QString link = !car.hasState ? QString("no state") : car.link.isEmpty() ? QString("-") : car.link;
        if (!car.holdBy.isEmpty())
            link += QString(" (hold: %1, %2 min)").arg(car.holdBy).arg(car.holdMinutes);
        if (watcherOffline(car))
            link += ", watcher offline";
        return link;
    }
    case Floor:
        return car.floor ? QString::number(*car.floor) : QString("-");
    case Motion: {
        const QString m = motion(car);
        return m.isEmpty() ? QString("-") : m;
    }
    case Velocity:
        return car.velocity ? QString::number(*car.velocity) : QString("-");
    case Bbt:
        return car.bbt ? car.bbt->trimmed() : QString("-");
    case FaultCode:
        return newest ? QString::number(newest->code) + (car.unacknowledged > 0 ? QString(" (%1 new)").arg(car.unacknowledged) : "")
                      : QString("-");
    case FaultFloor:
        return newest ? QString::number(newest->floor) : QString("-");
    case FaultText:
        return newest ? newest->description : QString("-");
    case FaultTime:
        return newest ? timeText(newest->time, now_) : QString("-");
    case Age:
        if (!car.hasState)
            return QString("-");
        return ageText(age) + (silent(car) ? ", silent" : "");
    default:
        return {};
    }
}

QVariant FleetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return QString(kHeaders[section]);
    return {};
}

void FleetModel::changed(int row) { emit dataChanged(index(row, 0), index(row, ColumnCount - 1)); }

} // namespace carfleet
