// Holds a serial port open for a while, the way another terminal program would.
// Usage: serial_port_holder <port number> <milliseconds>
// Prints "open" once the port is open, or "error: <text>" and exits with 1.
#include "serial/control/CommControl.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <port number> <milliseconds>\n", argv[0]);
        return 2;
    }
    serial::control::CommControl control;
    if (const auto error = control.setCommPort(std::atoi(argv[1]))) {
        std::printf("error: %s\n", error.text.c_str());
        return 1;
    }
    if (const auto error = control.setPortOpen(true)) {
        std::printf("error: %s\n", error.text.c_str());
        return 1;
    }
    std::printf("open\n");
    std::fflush(stdout);
    QTimer::singleShot(std::atoi(argv[2]), &app, &QCoreApplication::quit);
    return app.exec();
}
