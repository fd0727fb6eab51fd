#pragma once
// Which device each port number names. In order: the program's command line (--port N=DEVICE),
// the environment (HOISTWISE_COM<n>), the technician's ports file
// ($XDG_CONFIG_HOME/hoistwise/ports.conf, lines "COM<n>=DEVICE"), and /dev/ttyS<n-1>. A device
// may also be a serial server on the network (see NetworkEndpoint.h).
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace serial {

struct PortMapping {
    std::string device;
    // Where the mapping came from: "--port", "HOISTWISE_COM1", "ports.conf line 2"; empty for
    // the built-in /dev/ttyS<n-1>.
    std::string origin;
    // Why no open may use this device, found without opening anything ("is not a serial device
    // (a folder)"); empty when the port may be tried.
    std::string refusal;
};

// The longest device path or endpoint a mapping may name.
inline constexpr std::size_t kMaxMappingLength = 4096;

// Why `device` can never serve as a port, judged by its length and by what the path names now
// (the program's own terminal, something other than a character device); empty otherwise. A
// missing path is no refusal: the adapter may be plugged in later.
std::string mappingRefusal(const std::string& device);

// "COM3": the name a technician knows port number 3 by.
std::string portName(int n);

// "3" or "COM3" (any case) as a port number of 1 and up.
std::optional<int> parsePortNumber(std::string_view text);

// The ports file as read. A line that is not a mapping is named in `problems` and ignored.
struct PortsFile {
    struct Entry {
        std::string device;
        int line = 0;
    };
    std::string path;
    std::map<int, Entry> ports;
    std::vector<std::string> problems;   // "line 3: ...; the line is ignored"

    // $XDG_CONFIG_HOME/hoistwise/ports.conf, ~/.config when XDG_CONFIG_HOME is unset.
    static std::string defaultPath();
    // A missing file maps nothing and is no problem; an unreadable one is.
    static PortsFile read(const std::string& path);
    static PortsFile parse(std::string_view text, std::string path = {});
};

class PortMap {
public:
    // The map of this process. The ports file is read at the first call.
    static PortMap& current();

    PortMap() = default;
    explicit PortMap(PortsFile file) : file_(std::move(file)) {}

    // A --port N=DEVICE of the command line (the command line refuses a number given twice).
    void mapFromCommandLine(int n, std::string device) { commandLine_[n] = std::move(device); }
    PortMapping lookup(int n) const;
    // Every number that the command line, the environment or the file maps, in order.
    std::vector<int> mappedNumbers() const;
    const PortsFile& file() const { return file_; }

private:
    std::map<int, std::string> commandLine_;
    PortsFile file_;
};

} // namespace serial
