#include "launch/PortListing.h"

#include "serial/OutsideText.h"
#include "serial/PortMap.h"
#include "serial/NetworkEndpoint.h"
#include "serial/network/CertificateFiles.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace launch {

namespace fs = std::filesystem;
using serial::printable;

namespace {

// The kernel creates ttyS ports whether or not a UART is behind them; those it found no UART
// for have type 0 (unknown) in sysfs and cannot carry a byte.
bool isPhantomUart(const std::string& name)
{
    if (name.rfind("ttyS", 0) != 0)
        return false;
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int code = -1;
    return type >> code && code == 0;
}

std::string resolved(const std::string& path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    return error ? std::string() : target.string();
}

// /dev/serial/by-id/<name> for each device it names.
std::multimap<std::string, std::string> stableNames()
{
    std::multimap<std::string, std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev/serial/by-id", error)) {
        const std::string target = resolved(entry.path().string());
        if (!target.empty())
            names.emplace(target, entry.path().string());
    }
    return names;
}

std::string deviceLine(const QSerialPortInfo& port)
{
    std::string line = "  " + serial::printable(port.systemLocation().toStdString());
    std::vector<std::string> facts;
    for (const QString& fact : {port.description(), port.manufacturer()})
        if (!fact.isEmpty() && fact.toStdString() != "n/a")
            facts.push_back(serial::printable(fact.toStdString()));
    if (!port.serialNumber().isEmpty())
        facts.push_back("serial number " + serial::printable(port.serialNumber().toStdString()));
    for (std::size_t i = 0; i < facts.size(); ++i)
        line += (i == 0 ? "  " : ", ") + facts[i];
    return line + "\n";
}

std::string devices()
{
    std::vector<QSerialPortInfo> present;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts())
        if (!isPhantomUart(port.portName().toStdString()))
            present.push_back(port);
    std::sort(present.begin(), present.end(), [](const auto& a, const auto& b) {
        return a.systemLocation() < b.systemLocation();
    });

    std::string text = "Serial devices present:\n";
    if (present.empty())
        text += "  none found\n";
    const auto names = stableNames();
    for (const QSerialPortInfo& port : present) {
        text += deviceLine(port);
        const auto [first, last] = names.equal_range(resolved(port.systemLocation().toStdString()));
        for (auto name = first; name != last; ++name)
            text += "      " + serial::printable(name->second) + "\n";
    }
    return text;
}

std::string portsFile(const serial::PortsFile& file)
{
    std::error_code error;
    std::string text = "\nPorts file: " + serial::printable(file.path) + (fs::exists(file.path, error) ? "" : " (none)") + "\n";
    for (const std::string& problem : file.problems)
        text += "  " + problem + "\n";
    return text;
}

// A network port is shown as mapped, without reaching for the network: its kind, and whether
// what travels on it is encrypted.
std::string networkLine(int n, const serial::PortMapping& mapping)
{
    std::string line = "  " + serial::portName(n) + "  " + serial::printable(mapping.device) + "  from " + mapping.origin;
    if (!mapping.refusal.empty())
        return line + ", refused: it " + mapping.refusal + "\n";
    serial::NetworkEndpoint endpoint;
    if (const auto problem = serial::NetworkEndpoint::parse(mapping.device, endpoint))
        return line + ", not usable: " + *problem + "\n";
    if (const auto problem = serial::network::certificateFilesProblem(endpoint))
        return line + ", not usable: " + *problem + "\n";
    return line + ", network port, " + endpoint.kindName()
        + (endpoint.encrypted() ? ", encrypted\n" : ", NOT ENCRYPTED: everything on it travels in clear\n");
}

std::string mappingLine(int n, const serial::PortMapping& mapping)
{
    if (serial::NetworkEndpoint::isNetworkName(mapping.device))
        return networkLine(n, mapping);
    std::string line = "  " + serial::portName(n) + "  " + serial::printable(mapping.device);
    const std::string target = mapping.refusal.empty() ? resolved(mapping.device) : std::string();
    if (!target.empty() && target != mapping.device)
        line += " -> " + serial::printable(target);
    line += "  " + (mapping.origin.empty() ? std::string("default") : "from " + mapping.origin);
    if (!mapping.refusal.empty())
        return line + ", refused: it " + mapping.refusal + "\n";
    return line + (target.empty() ? ", not present\n" : "\n");
}

} // namespace

std::string portListing(const Program& program, const serial::PortMap& map)
{
    std::set<int> numbers(program.ports.begin(), program.ports.end());
    for (int n : map.mappedNumbers())
        numbers.insert(n);

    std::string text = devices() + portsFile(map.file()) + "\nPorts of " + program.name + ":\n";
    for (int n : numbers)
        text += mappingLine(n, map.lookup(n));
    return text;
}

} // namespace launch
