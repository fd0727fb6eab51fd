#pragma once
// Bytes waiting for a non-blocking descriptor to take them, so a slow reader never blocks the
// modem and nothing is dropped.
#include <cstddef>
#include <string>
#include <string_view>

namespace modemsim {

class OutputQueue {
public:
    void append(std::string_view bytes) { pending_.append(bytes); }
    bool empty() const { return pending_.empty(); }
    std::size_t size() const { return pending_.size(); }
    void clear() { pending_.clear(); }

    // Writes what `fd` takes now. Returns false on a write error other than "try again"
    // (errno tells which); what was not written stays queued.
    bool flush(int fd);

private:
    std::string pending_;
};

} // namespace modemsim
