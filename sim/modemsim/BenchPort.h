#pragma once
// The bench's side of the modem: the master of a pseudo-terminal the modem creates, or a
// terminal device it is given. Non-blocking; what the bench has not read yet waits in `output`.
#include "sim/modemsim/OutputQueue.h"
#include "sim/modemsim/ReadResult.h"
#include "sim/common/PseudoTerminal.h"

#include <memory>
#include <string>

namespace modemsim {

class BenchPort {
public:
    // A new pseudo-terminal, linked from `linkPath` when that is not empty. A link path that
    // exists and is not a symbolic link is refused rather than replaced.
    // Throws std::runtime_error with a message for the operator.
    static std::unique_ptr<BenchPort> createPseudoTerminal(const std::string& linkPath);
    // An existing terminal device, set raw 8N1 at `speed` with modem control lines ignored.
    static std::unique_ptr<BenchPort> openDevice(const std::string& path, unsigned speed);

    ~BenchPort();
    BenchPort(const BenchPort&) = delete;
    BenchPort& operator=(const BenchPort&) = delete;

    int fd() const { return fd_; }
    // The path the bench opens.
    const std::string& path() const { return path_; }

    // Appends what is waiting to `into`. Gone: the device is gone (read error or end of file).
    ReadResult read(std::string& into);

    OutputQueue& output() { return output_; }
    // Writes what the line takes now; false when the device is gone.
    bool flush() { return output_.flush(fd_); }

private:
    BenchPort() = default;

    std::unique_ptr<sim::PseudoTerminal> pty_;
    int deviceFd_ = -1;
    int fd_ = -1;
    std::string path_;
    OutputQueue output_;
};

} // namespace modemsim
