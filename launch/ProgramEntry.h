#pragma once
// The one entry of the kit's windowed programs: the command line every one of them takes
// (--help, --version, and for the programs that open ports --port and --list-ports), the
// no-display check, then the program's own start-up under a QApplication.
#include <functional>
#include <string>
#include <vector>

namespace launch {

struct Program {
    std::string name;              // "carscope"
    std::string summary;           // what the program is, in one line
    std::string platformTitle;     // titles the message boxes that have no title of their own
    std::vector<int> ports{};      // the port numbers it opens; none: no port options
    std::string portUse{};         // how it uses them, for the help's port mapping section
    std::string moreEnvironment{}; // help lines for its own environment variables
    bool quitOnLastWindowClosed = false;
    // Creates the first windows and runs the event loop; called with the application up.
    std::function<int()> run;
};

// Exit status 2 for a bad command line or a missing display; 0 after --help, --version and
// --list-ports; otherwise what `program.run` returns.
int runProgram(const Program& program, int argc, char** argv);

} // namespace launch
