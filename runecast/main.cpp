// runecast: the offline status-byte and fault-code decoder.
#include "runecast/Module1.h"
#include "launch/ProgramEntry.h"

#include <QApplication>

int main(int argc, char** argv)
{
    const launch::Program runecast{
        .name = "runecast",
        .summary = "Offline decoder of controller status bytes, operating modes and fault codes.",
        .platformTitle = "runecast",
        .quitOnLastWindowClosed = true,
        .run = [](const launch::CommandLine&) {
            runecast::Module1 module;
            module.Main();
            return QApplication::exec();
        },
    };
    return launch::runProgram(runecast, argc, argv);
}
