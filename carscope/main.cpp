// carscope: the car diagnostics terminal.
#include "carscope/CarscopeProgram.h"
#include "carterm/ReplayBar.h"
#include "launch/ProgramEntry.h"
#include "launch/SignalEnd.h"
#include "serial/capture/ReplayBackend.h"

#include <QApplication>

int main(int argc, char** argv)
{
    std::string replay;   // --replay CAPTURE
    const launch::Program carscope{
        .name = "carscope",
        .summary = "Car diagnostics terminal for elevator car controllers, over a serial line.",
        .platformTitle = "Hoistwise",
        .ports = {1},
        .portUse = "talks to the car controller on port 1 (COM1); its CommPort > Settings...\n"
                   "  window can choose another port number",
        .options = {carterm::replayOption()},
        .handle = [&](const launch::CommandLine& line) { return carterm::takeReplayOption(line, "carscope", replay); },
        .run = [&](const launch::CommandLine& line) {
            auto backend = carterm::replayBackend(replay);
            serial::capture::ReplayBackend* playback = backend.get();
            carterm::CarscopeProgram program(std::move(backend));
            const auto bar = carterm::startReplay(program.form1, playback, line.capture);
            program.Main();
            // A signal ends the program the way E&xit does.
            launch::setOrderlyEnd([&program] { program.form1.MFileExit_Click(); });
            return QApplication::exec();
        },
    };
    return launch::runProgram(carscope, argc, argv);
}
