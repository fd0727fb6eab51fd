#pragma once
// A simulator program (carsim, modemsim) run by a test as a child process with its stdout piped.
// Every wait is bounded, and the child is always stopped when the object goes.
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace sim {

class SimulatorProcess {
public:
    // Where the child's stderr goes: the test's own, a file ("/dev/null" drops it), or a pipe
    // that `errors()` reads.
    struct Errors {
        enum class To { Inherit, File, Pipe } to = To::Inherit;
        std::string path;
    };
    static Errors inheritErrors() { return {}; }
    static Errors discardErrors() { return {Errors::To::File, "/dev/null"}; }
    static Errors errorsToFile(std::string path) { return {Errors::To::File, std::move(path)}; }
    static Errors captureErrors() { return {Errors::To::Pipe, {}}; }

    static constexpr std::chrono::milliseconds kPatience{5000};

    SimulatorProcess(const std::string& program, const std::vector<std::string>& args,
                     Errors errors = inheritErrors());
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool started() const { return pid_ > 0; }

    // The next stdout line without its newline; empty when none came within `patience`.
    std::string readLine(std::chrono::milliseconds patience = kPatience);
    // The pseudo-terminal's path, which the simulators print as their first line. Read once.
    const std::string& ptyPath(std::chrono::milliseconds patience = kPatience);
    // Whatever arrives on the stderr pipe within `patience` (or until it closes).
    std::string errors(std::chrono::milliseconds patience = std::chrono::milliseconds(500));

    void signal(int sig);
    // The exit code (128 + signal when killed by one), or nothing when it did not end in time.
    std::optional<int> waitExit(std::chrono::milliseconds patience = kPatience);
    // SIGTERM, then SIGKILL when it has not ended within `patience`.
    void stop(std::chrono::milliseconds patience = std::chrono::milliseconds(3000));

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int out_ = -1;
    int err_ = -1;
    std::string pending_;
    std::optional<std::string> ptyPath_;
};

} // namespace sim
