#pragma once
// Which broker carfleet reads: from the command line, or the setting saved in the user's
// config folder (~/.config/hoistwise/carfleet.ini) when none is given there.
#include "mqtt/Broker.h"

#include <QString>

namespace carfleet {

struct BrokerSetting {
    QString url;            // mqtt://HOST:PORT or mqtts://HOST:PORT?ca=FILE
    QString user;
    QString passwordFile;   // the password is its first line
    bool empty() const { return url.isEmpty(); }
};

BrokerSetting savedSetting();
void saveSetting(const BrokerSetting& setting);

// The connection's settings for `setting`: what is wrong with it (saying what is accepted), or
// empty. Reads the password file.
QString resolve(const BrokerSetting& setting, mqtt::Broker::Settings& out);

} // namespace carfleet
