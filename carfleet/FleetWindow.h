#pragma once
// carfleet's window: the cars as a table (sorted and filtered by site or fault), the selected
// car's recent faults beside it, new faults counted in the title until acknowledged, and the
// hand-over that sends and withdraws a hold. The broker is read through libmosquitto's thread;
// every message reaches the model on the Qt thread in the order received.
#include "carfleet/BrokerSetting.h"
#include "carfleet/FleetModel.h"

#include <QMainWindow>
#include <QSortFilterProxyModel>

#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QTableView;

namespace carfleet {

// Rows of one site, or all, and optionally only the cars with a fault.
class FleetFilter : public QSortFilterProxyModel {
public:
    enum Show { AllCars, NewFaults, AnyFault };
    void setSite(const QString& site);
    void setShow(Show show);

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    QString site_;
    Show show_ = AllCars;
};

class FleetWindow : public QMainWindow {
public:
    explicit FleetWindow(BrokerSetting setting);
    ~FleetWindow() override;

    FleetModel& model() { return model_; }

private:
    void connectTo(const BrokerSetting& setting);
    void received(const std::string& topic, const std::string& payload);
    void refresh();
    void showFaults();
    int selectedRow() const;
    void acknowledge();
    void handOver();
    void takeBack();
    void sendHold(const QString& payload);
    void chooseBroker();

    FleetModel model_;
    FleetFilter filter_;
    std::unique_ptr<mqtt::Broker> broker_;
    BrokerSetting setting_;
    QTableView* table_;
    QListWidget* faults_;
    QComboBox* site_;
    QComboBox* show_;
    QLabel* status_;
};

} // namespace carfleet
