#pragma once
// The --verbose log on stderr: every byte that passes, shown with C escapes, and the modem's
// call and DSR changes. Errors are printed whether or not the log is on.
#include <string>
#include <string_view>

namespace modemsim {

// "at\r" becomes "at\\r"; bytes outside printable ASCII become \xNN.
std::string printableBytes(std::string_view bytes);

class TrafficLog {
public:
    explicit TrafficLog(bool verbose) : verbose_(verbose) {}

    void bytes(const char* direction, std::string_view data) const;
    void event(const std::string& text) const;
    void error(const std::string& text) const;

private:
    bool verbose_;
};

} // namespace modemsim
