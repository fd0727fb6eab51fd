// carfleet: the cars that carwatch publishes to an MQTT broker, in one window.
#include "carfleet/BrokerSetting.h"
#include "carfleet/FleetWindow.h"
#include "launch/ProgramEntry.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    carfleet::BrokerSetting setting;
    const std::string pad = "\n" + std::string(23, ' ');
    const launch::Program carfleet{
        .name = "carfleet",
        .summary = "The elevator cars that carwatch publishes to an MQTT broker, in one window.",
        .platformTitle = "carfleet",
        .quitOnLastWindowClosed = true,
        .options = {{"broker", "URL", "the broker: mqtt://HOST:PORT, or mqtts://HOST:PORT?ca=FILE" + pad +
                                      "(the CA file that signed the broker's certificate)"},
                    {"broker-user", "NAME", "user name at the broker"},
                    {"broker-password-file", "FILE", "the password, the file's first line"}},
        .description =
            "carfleet subscribes to hoistwise/# and shows one row per car: site, car, link,\n"
            "floor, motion, velocity, BBT, the newest fault and how old the last state is (a\n"
            "car silent for more than three poll periods is marked). A new fault colours its\n"
            "row and is counted in the window title until acknowledged (Ctrl+K); the selected\n"
            "car's faults since carfleet started and its controller's fault log are listed\n"
            "beside the table. A car whose watcher went offline is marked. Car > Hand over\n"
            "(Ctrl+H) asks carwatch to let go of the car's line for some minutes (a retained\n"
            "hold at hoistwise/SITE/CAR/hold); Car > Take back withdraws it.\n"
            "Without --broker carfleet connects to the broker saved with File > Broker (in\n"
            "~/.config/hoistwise/carfleet.ini).\n",
        .exitStatus = "  0 when the window is closed, 2 for a bad command line (also a broker URL\n"
                      "  that is not accepted or a password file that cannot be read) or when no\n"
                      "  display is there for the window.\n",
        .handle = [&](const launch::CommandLine& line) {
            const std::string url = line.value("broker");
            if (url.empty()) {
                if (!line.value("broker-user").empty() || !line.value("broker-password-file").empty()) {
                    std::fprintf(stderr, "carfleet: --broker-user and --broker-password-file go with --broker; "
                                         "try 'carfleet --help'.\n");
                    return 2;
                }
                setting = carfleet::savedSetting();
                return -1;
            }
            setting = {QString::fromStdString(url), QString::fromStdString(line.value("broker-user")),
                       QString::fromStdString(line.value("broker-password-file"))};
            mqtt::Broker::Settings check;
            if (const QString problem = carfleet::resolve(setting, check); !problem.isEmpty()) {
                std::fprintf(stderr, "carfleet: %s; try 'carfleet --help'.\n", problem.toLocal8Bit().constData());
                return 2;
            }
            return -1;
        },
        .run = [&](const launch::CommandLine&) {
            carfleet::FleetWindow window(setting);
            window.show();
            return QApplication::exec();
        },
    };
    return launch::runProgram(carfleet, argc, argv);
}
