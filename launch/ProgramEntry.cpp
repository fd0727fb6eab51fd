#include "launch/ProgramEntry.h"

#include "launch/CaptureOptions.h"
#include "launch/DisplayCheck.h"
#include "launch/HelpText.h"
#include "launch/PortListing.h"
#include "launch/SignalEnd.h"
#include "serial/OutsideText.h"
#include "serial/NetworkEndpoint.h"
#include "serial/PortMap.h"
#include "toolkit/QtPlatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <map>

namespace launch {

namespace {

constexpr int kExitBadUse = 2;

int refuse(const Program& program, const std::string& what)
{
    // The text quotes what was typed: escaped, and only its start.
    std::fprintf(stderr, "%s: %s Try '%s --help'.\n", program.name.c_str(), serial::printable(what, 1000).c_str(),
                 program.name.c_str());
    return kExitBadUse;
}

// Puts each --port N=DEVICE into the map; the text of the first malformed or repeated one, if any.
std::string mapCommandLinePorts(const QStringList& values, serial::PortMap& map)
{
    std::map<int, std::string> given;
    for (const QString& value : values) {
        const std::string text = value.toStdString();
        const auto equals = text.find('=');
        const auto n = serial::parsePortNumber(text.substr(0, equals));
        if (equals == std::string::npos || !n || equals + 1 == text.size())
            return "--port \"" + serial::printable(text, 80) + "\" is not valid: write --port N=DEVICE with N from 1 up, for example "
                   "--port 1=/dev/ttyUSB0.";
        // Which of two would be meant cannot be known: the technician says it once.
        if (const auto earlier = given.find(*n); earlier != given.end())
            return "--port " + std::to_string(*n) + " is given twice (\"" + serial::printable(earlier->second, 80) +
                   "\" and \"" + serial::printable(text.substr(equals + 1), 80) + "\"): give each port once.";
        given[*n] = text.substr(equals + 1);
        if (const auto problem = serial::networkMappingProblem(text.substr(equals + 1)))
            return "--port \"" + serial::printable(text, 80) + "\" is not valid: " + *problem + ".";
        map.mapFromCommandLine(*n, text.substr(equals + 1));
    }
    return {};
}

} // namespace

int runProgram(const Program& program, int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // Qt's own single-dash options (-platform offscreen) stay usable.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption version("version");
    const QCommandLineOption port("port", {}, "N=DEVICE");
    const QCommandLineOption listPorts("list-ports");
    const QCommandLineOption platform("platform", {}, "name");
    parser.addOptions({help, version, platform});
    if (!program.ports.empty())
        parser.addOptions({port, listPorts});
    const CaptureOptions capture(parser, !program.ports.empty());
    std::vector<QCommandLineOption> own;
    for (const Option& option : program.options)
        own.emplace_back(QString::fromStdString(option.name), QString(), QString::fromStdString(option.valueName));
    for (const QCommandLineOption& option : own)
        parser.addOption(option);

    if (!parser.parse(arguments))
        return refuse(program, parser.errorText().toStdString());
    const QStringList operands = parser.positionalArguments();
    if (!program.operand.empty() && operands.size() > 1)
        return refuse(program, "\"" + operands[1].toStdString() + "\" is one too many: " + program.name +
                                   " takes one " + program.operand + ".");
    if (program.operand.empty() && !operands.isEmpty())
        return refuse(program, "\"" + parser.positionalArguments().first().toStdString() +
                                   "\" is not an option; " + program.name + " takes options only.");
    if (parser.isSet(help)) {
        std::fputs(helpText(program).c_str(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs(versionText(program).c_str(), stdout);
        return 0;
    }

    if (!program.ports.empty()) {
        serial::PortMap& map = serial::PortMap::current();
        if (const std::string bad = mapCommandLinePorts(parser.values(port), map); !bad.empty())
            return refuse(program, bad);
        if (parser.isSet(listPorts)) {
            std::fputs(portListing(program, map).c_str(), stdout);
            return 0;
        }
        for (const std::string& problem : map.file().problems)
            std::fprintf(stderr, "%s: %s %s\n", program.name.c_str(), serial::printable(map.file().path).c_str(),
                         problem.c_str());
    }

    CommandLine line;
    if (const std::string bad = capture.apply(program.name, HOISTWISE_VERSION, line.capture); !bad.empty())
        return refuse(program, bad);
    if (!operands.isEmpty())
        line.operand = operands.first().toStdString();
    for (std::size_t i = 0; i < own.size(); ++i)
        if (parser.isSet(own[i]))
            line.values[program.options[i].name] = parser.value(own[i]).toStdString();
    if (program.handle)
        if (const int status = program.handle(line); status >= 0)
            return status;

    if (const std::string missing = missingDisplay(program.name, parser.value(platform).toStdString());
        !missing.empty()) {
        std::fprintf(stderr, "%s\n", missing.c_str());
        return kExitBadUse;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromStdString(program.name));
    QApplication::setApplicationVersion(HOISTWISE_VERSION);
    QApplication::setQuitOnLastWindowClosed(program.quitOnLastWindowClosed);
    toolkit::QtPlatform platformServices(program.platformTitle);
    toolkit::setPlatform(&platformServices);
    watchEndSignals(platformServices);
    return program.run(line);
}

} // namespace launch
