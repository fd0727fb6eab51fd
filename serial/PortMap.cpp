#include "serial/PortMap.h"

#include "serial/OutsideText.h"
#include "serial/RegularFile.h"
#include "serial/NetworkEndpoint.h"
#include "toolkit/TextOps.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

extern char** environ;

namespace serial {

namespace {

constexpr std::string_view kEnvironmentPrefix = "HOISTWISE_COM";
// What isspace() counts as a blank: the ports file may come from any editor.
constexpr std::string_view kSpace = " \t\r\n\v\f";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// A comment may also end a line: "COM1=/dev/ttyUSB0   # the FTDI cable".
std::string_view withoutTrailingComment(std::string_view line)
{
    for (std::size_t i = 1; i < line.size(); ++i) {
        if ((line[i] == '#' || line[i] == ';') && std::isspace(static_cast<unsigned char>(line[i - 1])))
            return line.substr(0, i);
    }
    return line;
}

// What is wrong with one line of the file, or nothing when it maps a port (then `number` and
// `device` are set) or maps nothing (blank, comment, the section header).
std::optional<std::string> readLine(std::string_view raw, int& number, std::string& device)
{
    const std::string_view line = toolkit::trimmed(withoutTrailingComment(raw), kSpace);
    number = 0;
    if (line.empty() || line.front() == '#' || line.front() == ';')
        return {};
    if (line.front() == '[') {
        if (line.back() == ']' && equalsIgnoringCase(toolkit::trimmed(line.substr(1, line.size() - 2), kSpace), "ports"))
            return {};
        return "\"" + printable(line) + "\" is not the file's one section, [ports]";
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return "\"" + printable(line) + "\" is not a port mapping: write COM<n>=DEVICE, for example "
               "COM1=/dev/ttyUSB0";
    const std::string_view key = toolkit::trimmed(line.substr(0, equals), kSpace);
    const std::optional<int> n = parsePortNumber(key);
    if (!n)
        return "\"" + printable(key) + "\" is not a port: ports are named COM1, COM2 and so on";
    const std::string_view value = toolkit::trimmed(line.substr(equals + 1), kSpace);
    if (value.empty())
        return portName(*n) + " names no device";
    if (const auto problem = networkMappingProblem(value))
        return portName(*n) + ": " + *problem;
    number = *n;
    device = value;
    return {};
}

// The program's controlling terminal, as /proc tells it: nothing is opened to find it.
std::optional<dev_t> controllingTerminal()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
        return std::nullopt;
    // After the command name: state, parent, group, session, then the terminal.
    std::string_view fields = std::string_view(line).substr(line.rfind(')') + 1);
    long long number = 0;
    for (int field = 0; field < 5; ++field) {
        while (!fields.empty() && fields.front() == ' ')
            fields.remove_prefix(1);
        const auto end = fields.find(' ');
        const std::string_view value = fields.substr(0, end);
        if (field == 4 && std::from_chars(value.data(), value.data() + value.size(), number).ec != std::errc())
            return std::nullopt;
        fields = end == std::string_view::npos ? std::string_view() : fields.substr(end);
    }
    if (number == 0)
        return std::nullopt;
    const auto major = static_cast<unsigned>((number >> 8) & 0xfff);
    const auto minor = static_cast<unsigned>((number & 0xff) | ((number >> 12) & 0xfff00));
    return makedev(major, minor);
}

bool isOwnTerminal(dev_t device)
{
    if (device == makedev(5, 0))   // /dev/tty: whoever opens it gets their own terminal
        return true;
    if (const auto own = controllingTerminal(); own && *own == device)
        return true;
    for (int fd = 0; fd <= 2; ++fd) {
        struct stat standard {};
        if (::fstat(fd, &standard) == 0 && S_ISCHR(standard.st_mode) && standard.st_rdev == device && ::isatty(fd))
            return true;
    }
    return false;
}

// Whether the system files a character device under another class than terminals (memory
// devices such as /dev/null, sound, input), judged from sysfs so that nothing is opened.
// Pseudo-terminal slaves have no sysfs entry; neither has anything when sysfs is missing.
bool isOtherThanTerminal(dev_t device)
{
    const std::string link = "/sys/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)) +
                             "/subsystem";
    char target[512];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return false;
    const std::string_view subsystem(target, static_cast<std::size_t>(length));
    return subsystem.substr(subsystem.find_last_of('/') + 1) != "tty";
}

} // namespace

std::string mappingRefusal(const std::string& device)
{
    if (device.size() > kMaxMappingLength)
        return "is " + std::to_string(device.size()) + " bytes long: a device path or endpoint has at most " +
               std::to_string(kMaxMappingLength);
    if (device.find("://") != std::string::npos)
        return {};   // a network endpoint: nothing on this machine to look at
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {};
    if (!S_ISCHR(info.st_mode))
        return std::string("is not a serial device (it is ") + fileKind(info.st_mode) + ")";
    if (isOtherThanTerminal(info.st_rdev))
        return "is not a serial device (it is a character device of another kind)";
    if (isOwnTerminal(info.st_rdev))
        return "is the terminal this program was started from: as a port it would take over the shell "
               "there; map the port to a serial device";
    return {};
}

std::string portName(int n)
{
    return "COM" + std::to_string(n);
}

std::optional<int> parsePortNumber(std::string_view text)
{
    if (text.size() > 3 && equalsIgnoringCase(text.substr(0, 3), "com"))
        text.remove_prefix(3);
    int n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || n < 1)
        return std::nullopt;
    return n;
}

std::string PortsFile::defaultPath()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/hoistwise/ports.conf";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/hoistwise/ports.conf";
}

PortsFile PortsFile::read(const std::string& path)
{
    PortsFile refused;
    refused.path = path;
    // Only a regular file is read, and the open itself never waits: a FIFO would hold up the
    // start-up until a writer came.
    const RegularFile opened = openRegularFile(path);
    if (opened.fd < 0 && (opened.error == ENOENT || opened.error == ENOTDIR))
        return refused;
    if (opened.fd < 0 && opened.error == 0) {
        refused.problems.push_back(opened.problem + "; no port is mapped by it");
        return refused;
    }
    const int fd = opened.fd;
    std::string text;
    int failure = opened.error;
    if (fd >= 0) {
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                text.append(buffer, static_cast<std::size_t>(got));
            else if (got == 0 || errno != EINTR) {
                failure = got < 0 ? errno : 0;
                break;
            }
        }
        ::close(fd);
    }
    if (failure) {
        PortsFile unreadable;
        unreadable.path = path;
        unreadable.problems.push_back(std::string("cannot be read (") + std::strerror(failure) +
                                      "); no port is mapped by it");
        return unreadable;
    }
    return parse(text, path);
}

PortsFile PortsFile::parse(std::string_view text, std::string path)
{
    PortsFile file;
    file.path = std::move(path);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

        int n = 0;
        std::string device;
        std::optional<std::string> problem = readLine(line, n, device);
        if (!problem && n) {
            if (const auto earlier = file.ports.find(n); earlier != file.ports.end())
                problem = portName(n) + " is already mapped on line " +
                          std::to_string(earlier->second.line);
            else
                file.ports[n] = {device, lineNumber};
        }
        if (problem)
            file.problems.push_back("line " + std::to_string(lineNumber) + ": " + *problem + "; the line is ignored");
    }
    return file;
}

PortMap& PortMap::current()
{
    static PortMap map(PortsFile::read(PortsFile::defaultPath()));
    return map;
}

PortMapping PortMap::lookup(int n) const
{
    PortMapping mapping{"/dev/ttyS" + std::to_string(n - 1), {}, {}};
    const std::string variable = std::string(kEnvironmentPrefix) + std::to_string(n);
    if (const auto given = commandLine_.find(n); given != commandLine_.end())
        mapping = {given->second, "--port", {}};
    else if (const char* device = std::getenv(variable.c_str()); device && *device)
        mapping = {device, variable, {}};
    else if (const auto entry = file_.ports.find(n); entry != file_.ports.end())
        mapping = {entry->second.device, "ports.conf line " + std::to_string(entry->second.line), {}};
    mapping.refusal = mappingRefusal(mapping.device);
    return mapping;
}

std::vector<int> PortMap::mappedNumbers() const
{
    std::vector<int> numbers;
    for (const auto& [n, device] : commandLine_)
        numbers.push_back(n);
    for (const auto& [n, entry] : file_.ports)
        numbers.push_back(n);
    for (char** variable = environ; variable && *variable; ++variable) {
        const std::string_view entry(*variable);
        const auto equals = entry.find('=');
        if (entry.rfind(kEnvironmentPrefix, 0) != 0 || equals == std::string_view::npos || equals + 1 == entry.size())
            continue;
        const std::string_view digits = entry.substr(kEnvironmentPrefix.size(), equals - kEnvironmentPrefix.size());
        // Only the exact name that lookup() reads: HOISTWISE_COM7, not HOISTWISE_COM07.
        const auto n = parsePortNumber(digits);
        if (n && std::to_string(*n) == digits)
            numbers.push_back(*n);
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace serial
