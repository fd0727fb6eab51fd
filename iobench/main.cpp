// iobench: the digital-I/O adapter bench, with remote control over a modem on COM3.
#include "iobench/driver/KestrelDriver.h"
#include "iobench/Packed_Form.h"
#include "launch/ProgramEntry.h"
#include "launch/SignalEnd.h"

#include <QApplication>

int main(int argc, char** argv)
{
    const launch::Program iobench{
        .name = "iobench",
        .summary = "Test bench for a digital-I/O adapter, with remote control over a modem.",
        .platformTitle = "Packed Example",
        .ports = {3},
        .portUse = "answers the modem on port 3 (COM3); without it the bench works locally",
        .moreEnvironment = "  KESTREL_LIBRARY    the adapter driver library to load, as a path; otherwise\n"
                           "                     libKestrel.so is looked for by name\n"
                           "  KESTREL_SCENARIO   faults for the simulated adapter library to inject\n",
        .run = [](const launch::CommandLine& line) {
            iobench::KestrelDriver driver;
            iobench::Packed_Form form(driver);
            form.MSComm1.record(line.capture);
            form.load();
            form.show();
            // A signal ends the program the way "Exit Packed" does.
            launch::setOrderlyEnd([&form] { form.Exit_Packed_Click(); });
            return QApplication::exec();
        },
    };
    return launch::runProgram(iobench, argc, argv);
}
