#pragma once
// The real modemsim as a child process: its first two stdout lines (the pseudo-terminal's path
// and the caller's port) are read at start; its verbose traffic log goes to a file the test can
// read. The child is stopped when the object goes, whatever the test did.
#include "sim/common/testing/SimulatorProcess.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class ModemsimProcess {
public:
    ModemsimProcess(const std::string& program, const std::vector<std::string>& args, std::string logPath)
        : process_(program, args, sim::SimulatorProcess::errorsToFile(logPath))
        , logPath_(std::move(logPath))
    {
        ptyPath = process_.ptyPath();
        const std::string listening = process_.readLine();
        const auto colon = listening.rfind(':');
        if (listening.rfind("listening on 127.0.0.1:", 0) == 0 && colon != std::string::npos)
            callerPort = static_cast<unsigned>(std::stoul(listening.substr(colon + 1)));
    }

    bool started() const { return !ptyPath.empty() && callerPort != 0; }
    // Everything modemsim has logged so far.
    std::string log() const
    {
        std::ifstream in(logPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string ptyPath;
    unsigned callerPort = 0;

private:
    sim::SimulatorProcess process_;
    std::string logPath_;
};
