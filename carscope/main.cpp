// carscope: the car diagnostics terminal.
#include "carscope/CarscopeProgram.h"
#include "launch/ProgramEntry.h"
#include "launch/SignalEnd.h"

#include <QApplication>

int main(int argc, char** argv)
{
    const launch::Program carscope{
        .name = "carscope",
        .summary = "Car diagnostics terminal for elevator car controllers, over a serial line.",
        .platformTitle = "Hoistwise",
        .ports = {1},
        .portUse = "talks to the car controller on port 1 (COM1); its CommPort > Settings...\n"
                   "  window can choose another port number",
        .run = [] {
            carterm::CarscopeProgram program;
            program.Main();
            // A signal ends the program the way E&xit does.
            launch::setOrderlyEnd([&program] { program.form1.MFileExit_Click(); });
            return QApplication::exec();
        },
    };
    return launch::runProgram(carscope, argc, argv);
}
