// cabtalk: the password-gated car terminal.
#include "launch/ProgramEntry.h"
#include "launch/SignalEnd.h"
#include "cabtalk/CabtalkProgram.h"

#include <QApplication>

int main(int argc, char** argv)
{
    const launch::Program cabtalk{
        .name = "cabtalk",
        .summary = "Password-gated car terminal: the earlier build of carscope's car diagnostics.",
        .platformTitle = "Hoistwise",
        .ports = {1},
        .portUse = "talks to the car controller on port 1 (COM1); its CommPort > Settings...\n"
                   "  window can choose another port number",
        .run = [] {
            carterm::CabtalkProgram program;
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
