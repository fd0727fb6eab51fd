#pragma once
// The one entry of the kit's windowed programs: the command line every one of them takes
// (--help, --version, and for the programs that open ports --port and --list-ports), the
// no-display check, then the program's own start-up under a QApplication.
#include "serial/capture/CaptureSettings.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace launch {

// A program's own option; each takes a value ("--csv OUT").
struct Option {
    std::string name;       // "csv"
    std::string valueName;  // "OUT"
    std::string help;       // one line for --help
};

// What the command line gave for the program's own options and its operand, and what the
// sessions of its ports record (with the environment's word on it).
struct CommandLine {
    std::map<std::string, std::string> values;
    std::string operand;
    serial::capture::CaptureSettings capture;
    std::string value(const std::string& name) const
    {
        const auto it = values.find(name);
        return it == values.end() ? std::string{} : it->second;
    }
};

struct Program {
    std::string name;              // "carscope"
    std::string summary;           // what the program is, in one line
    std::string platformTitle;     // titles the message boxes that have no title of their own
    std::vector<int> ports{};      // the port numbers it opens; none: no port options
    std::string portUse{};         // how it uses them, for the help's port mapping section
    std::string moreEnvironment{}; // help lines for its own environment variables
    bool quitOnLastWindowClosed = false;
    std::vector<Option> options{};    // the program's own options
    std::string operand{};            // the name of the one operand it takes ("CAPTURE"); none: none
    std::string description{};        // a paragraph for --help after the options
    std::string exitStatus{};         // the help's exit statuses, when they are not the usual 0 and 2
    // Runs after the command line was read and before any display is needed: an exit status
    // ends the program there, -1 goes on to `run`.
    std::function<int(const CommandLine&)> handle{};
    // Creates the first windows and runs the event loop; called with the application up.
    std::function<int(const CommandLine&)> run;
};

// Exit status 2 for a bad command line or a missing display; 0 after --help, --version and
// --list-ports; otherwise what `program.run` returns.
int runProgram(const Program& program, int argc, char** argv);

} // namespace launch
