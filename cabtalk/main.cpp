// cabtalk: the password-gated car terminal.
#include "carterm/ReplayBar.h"
#include "launch/ProgramEntry.h"
#include "launch/SignalEnd.h"
#include "serial/capture/ReplayBackend.h"
#include "cabtalk/CabtalkProgram.h"

#include <QApplication>

int main(int argc, char** argv)
{
    std::string replay;   // --replay CAPTURE
    const launch::Program cabtalk{
        .name = "cabtalk",
        .summary = "Password-gated car terminal: the earlier build of carscope's car diagnostics.",
        .platformTitle = "Hoistwise",
        .ports = {1},
        .portUse = "talks to the car controller on port 1 (COM1); its CommPort > Settings...\n"
                   "  window can choose another port number",
        .options = {carterm::replayOption()},
        .handle = [&](const launch::CommandLine& line) { return carterm::takeReplayOption(line, "cabtalk", replay); },
        .run = [&](const launch::CommandLine& line) {
            auto backend = carterm::replayBackend(replay);
            serial::capture::ReplayBackend* playback = backend.get();
            carterm::CabtalkProgram program(std::move(backend));
            const auto bar = carterm::startReplay(program.form1, playback, line.capture);
            program.Main();
            // A signal ends the program the way the car window's E&xit does; before the car
            // window was opened there is no port or log to close.
            launch::setOrderlyEnd([&program] {
                if (program.form1.isLoaded())
                    program.form1.MFileExit_Click();
            });
            return QApplication::exec();
        },
    };
    return launch::runProgram(cabtalk, argc, argv);
}
