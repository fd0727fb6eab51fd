#pragma once
// What carfleet knows of the fleet, one row per car, from the messages under hoistwise/: the
// retained state, the fault messages, the holds and the watchers' online/offline. The window
// shows it; everything it decides (direction, silence, the watcher's cars, unacknowledged
// faults) is here so that it can be tested without a broker.
#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace carfleet {

struct Fault {
    int code = 0;
    int floor = 0;
    QString description;
    QDateTime time;     // invalid for an entry of the state's fault log: the log keeps no time
};

struct Car {
    QString site;
    QString name;
    bool hasState = false;
    QString link;                      // "up", "down", "held"; empty before a state
    std::optional<int> floor;
    std::optional<int> velocity;       // ft/min
    std::optional<QString> bbt;
    std::optional<std::map<QString, int>> signalValues;
    std::vector<Fault> log;            // the retained state's fault log, newest first
    std::vector<Fault> recent;         // fault messages since carfleet started, newest first
    int unacknowledged = 0;
    QDateTime stateTime;               // when the last state was true
    double pollSeconds = 1.0;
    QString watcher;                   // the host whose watcher publishes it, once known
    QString holdBy;                    // the hold in force at the broker: who, for how long
    int holdMinutes = 0;
};

class FleetModel : public QAbstractTableModel {
public:
    enum Column { Site, CarName, Link, Floor, Motion, Velocity, Bbt, FaultCode, FaultFloor, FaultText, FaultTime,
                  Age, ColumnCount };
    // The row's car, for the sort and filter model above.
    static constexpr int kCarRole = Qt::UserRole + 1;
    static constexpr int kSortRole = Qt::UserRole + 2;

    explicit FleetModel(QObject* parent = nullptr);

    // One message as received, at `now`. What was wrong with it, or empty; a topic outside the
    // tree is no error, only not shown.
    QString message(const QString& topic, const QByteArray& payload, const QDateTime& now);
    // Moves the clock on: ages and silence are shown as of `now`.
    void tick(const QDateTime& now);

    const std::vector<Car>& cars() const { return cars_; }
    const Car* car(int row) const { return row >= 0 && row < static_cast<int>(cars_.size()) ? &cars_[row] : nullptr; }
    int unacknowledged() const;
    void acknowledge(int row);
    void acknowledgeAll();
    QStringList sites() const;

    // "up", "down", "moving", "standing", or empty when not known: the UP and DP signals (the
    // run's direction), else whether the velocity is 0.
    static QString motion(const Car& car);
    // More than three poll periods since the last state.
    bool silent(const Car& car) const;
    // Its watcher said offline (or, before it is known, every watcher of its site did).
    bool watcherOffline(const Car& car) const;
    static QString ageText(qint64 seconds);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Car& carFor(const QString& site, const QString& name);
    QString state(Car& car, const QByteArray& payload, const QDateTime& now);
    QString fault(Car& car, const QByteArray& payload, const QDateTime& now);
    QString hold(Car& car, const QByteArray& payload);
    void watcher(const QString& site, const QString& host, const QByteArray& payload);
    void changed(int row);
    const Fault* newestFault(const Car& car) const;

    std::vector<Car> cars_;
    std::map<std::pair<QString, QString>, bool> watchers_;   // (site, host): online
    QDateTime now_;
};

} // namespace carfleet
