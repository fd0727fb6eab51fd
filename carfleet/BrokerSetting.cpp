#include "carfleet/BrokerSetting.h"

#include "serial/OutsideText.h"
#include "serial/RegularFile.h"

#include <QSettings>

#include <unistd.h>

namespace carfleet {

BrokerSetting savedSetting()
{
    const QSettings s(QSettings::IniFormat, QSettings::UserScope, "hoistwise", "carfleet");
    return {s.value("broker/url").toString(), s.value("broker/user").toString(),
            s.value("broker/password-file").toString()};
}

void saveSetting(const BrokerSetting& setting)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "hoistwise", "carfleet");
    s.setValue("broker/url", setting.url);
    s.setValue("broker/user", setting.user);
    s.setValue("broker/password-file", setting.passwordFile);
}

QString resolve(const BrokerSetting& setting, mqtt::Broker::Settings& out)
{
    if (setting.url.isEmpty())
        return "no broker: give --broker mqtt://HOST:PORT (or mqtts://HOST:PORT?ca=FILE), or set one with File > Broker";
    if (const auto problem = mqtt::parseBrokerUrl(setting.url.toStdString(), out.address))
        return QString::fromStdString(*problem);
    if (!setting.user.isEmpty() && setting.passwordFile.isEmpty())
        return "a broker user needs a password file (--broker-password-file FILE)";
    out.user = setting.user.toStdString();
    out.password.clear();
    if (!setting.passwordFile.isEmpty()) {
        const std::string path = setting.passwordFile.toStdString();
        const serial::RegularFile file = serial::openRegularFile(path);
        if (file.fd < 0)
            return QString::fromStdString("broker password file " + serial::printable(path) + ": " + file.problem);
        char buffer[1024];
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        ::close(file.fd);
        const std::string text(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
        out.password = text.substr(0, text.find_first_of("\r\n"));
    }
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    out.clientId = "carfleet-" + std::string(host) + "-" + std::to_string(::getpid());
    return {};
}

} // namespace carfleet
