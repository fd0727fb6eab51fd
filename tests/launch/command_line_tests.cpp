// The four windowed programs' command line, run as the real programs.
#include "sim/common/PseudoTerminal.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string nameOf(const std::string& program)
{
    return program.substr(program.find_last_of('/') + 1);
}

// The program's environment: this one's, without a display, with `set` added.
QProcessEnvironment withoutDisplay(const std::vector<std::pair<QString, QString>>& set = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    for (const auto& [name, value] : set)
        environment.insert(name, value);
    return environment;
}

Outcome run(const std::string& program, const QStringList& arguments,
            const QProcessEnvironment& environment = withoutDisplay())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program), arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

class EachProgram : public ::testing::TestWithParam<std::string> {};

TEST_P(EachProgram, HelpAndVersionNeedNoDisplay)
{
    const std::string name = nameOf(GetParam());
    const Outcome version = run(GetParam(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, name + " (Hoistwise kit) " HOISTWISE_VERSION "\n");

    const Outcome help = run(GetParam(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: " + name + " [OPTION]...", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("\nEnvironment:\n"), std::string::npos);
}

TEST_P(EachProgram, WithoutADisplaySaysHowToGetOneAndExitsWithTwo)
{
    const std::string name = nameOf(GetParam());
    const Outcome outcome = run(GetParam(), {});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, name + " needs a graphical display and finds none (DISPLAY or WAYLAND_DISPLAY): run it "
                                  "in a desktop session, or on a virtual display with: xvfb-run -a " + name + "\n");
}

INSTANTIATE_TEST_SUITE_P(Programs, EachProgram, ::testing::Values(LAUNCH_PROGRAMS),
                         [](const auto& info) { return nameOf(info.param); });

std::string program(const std::string& name)
{
    for (const std::string path : {LAUNCH_PROGRAMS})
        if (nameOf(path) == name)
            return path;
    return name;
}

TEST(CommandLine, AnUnknownOptionOrMalformedPortIsOneLineAndStatusTwo)
{
    const std::vector<std::pair<std::string, QStringList>> cases{
        {"carscope", {"--bogus"}},
        {"carscope", {"stray"}},
        {"cabtalk", {"--port"}},
        {"cabtalk", {"--port", "1"}},
        {"iobench", {"--port", "COMX=/dev/ttyUSB0"}},
        {"iobench", {"--port=0=/dev/ttyUSB0"}},
        {"iobench", {"--port", "3="}},
        {"carscope", {"--port", "1=rfc2217://mr3.example"}},   // no TCP port
        {"runecast", {"--port", "1=/dev/ttyUSB0"}},   // it opens no port
        {"runecast", {"--list-ports"}},
        {"carscope", {"--capture-limit", "5X"}},
        {"carscope", {"--capture-limit", "1"}},          // under 64K, the smallest accepted
        {"iobench", {"--replay", "x.timing"}},          // only the car terminals replay
        {"cabtalk", {"--replay", "/nonexistent/x.timing"}},
        {"cartrace", {"a.timing", "b.timing"}},
        {"cartrace", {"x.timing", "--from", "3"}},     // --from goes with --render
        {"cartrace", {"--csv", "out.csv"}},
    };
    for (const auto& [name, arguments] : cases) {
        SCOPED_TRACE(name + " " + arguments.join(' ').toStdString());
        const Outcome outcome = run(program(name), arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err.rfind(name + ": ", 0), 0u) << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
}

class PortsFileFixture : public ::testing::Test {
protected:
    void writePortsFile(const std::string& text)
    {
        ASSERT_TRUE(config.isValid());
        std::filesystem::create_directories(config.path().toStdString() + "/hoistwise");
        std::ofstream(config.path().toStdString() + "/hoistwise/ports.conf") << text;
    }

    QTemporaryDir config;
    sim::PseudoTerminal pty;
};

TEST_F(PortsFileFixture, ListPortsShowsWhereEachMappingCameFrom)
{
    const std::string device = pty.slavePath();
    writePortsFile("COM5=" + device + "\nCOM6 /dev/ttyUSB9\n");
    const Outcome outcome = run(program("iobench"), {"--list-ports", "--port", "2=" + QString::fromStdString(device),
                                                      "--port", "7=rfc2217s://mr3.example:3001", "--port", "8=tcp://mr3:4001"},
                                withoutDisplay({{"XDG_CONFIG_HOME", config.path()},
                                                {"HOISTWISE_COM4", QString::fromStdString(device)}}));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const std::string& line : std::vector<std::string>{"  COM2  " + device + "  from --port\n",
                                    "  COM3  /dev/ttyS2  default, not present\n",
                                    "  COM4  " + device + "  from HOISTWISE_COM4\n",
                                    "  COM5  " + device + "  from ports.conf line 1\n",
                                    "  COM7  rfc2217s://mr3.example:3001  from --port, network port, RFC 2217 over TLS, encrypted\n",
                                    "  COM8  tcp://mr3:4001  from --port, network port, raw TCP, NOT ENCRYPTED: everything on it travels in clear\n",
                                    "  line 2: \"COM6 /dev/ttyUSB9\" is not a port mapping"})
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line << " is not in:\n" << outcome.out;
    EXPECT_EQ(outcome.err, "");
}

TEST_F(PortsFileFixture, AMalformedLineIsReportedOnceAtStartUpAndTheProgramRuns)
{
    writePortsFile("[ports]\nCOM1: /dev/ttyUSB0\n");
    QProcess carscope;
    carscope.setProcessEnvironment(withoutDisplay({{"XDG_CONFIG_HOME", config.path()},
                                                   {"QT_QPA_PLATFORM", "offscreen"},
                                                   {"HOISTWISE_COM1", "/nonexistent/hoistwise-port"}}));
    carscope.start(QString::fromStdString(program("carscope")), {});
    EXPECT_FALSE(carscope.waitForFinished(1500)) << "carscope ended by itself";
    carscope.kill();
    carscope.waitForFinished();

    const std::string errors = carscope.readAllStandardError().toStdString();
    const std::string report = "carscope: " + config.path().toStdString() +
                               "/hoistwise/ports.conf line 2: \"COM1: /dev/ttyUSB0\" is not a port mapping";
    EXPECT_EQ(errors.rfind(report, 0), 0u) << errors;
    EXPECT_EQ(errors.find("line 2", report.size()), std::string::npos) << errors;
}

// Whatever the mapping's sources hold, --list-ports answers at once (so does the start-up, which
// reads the same sources); a problem is named once, outside text escaped and only its start quoted.
TEST_F(PortsFileFixture, EveryMappingInputIsAnsweredAtOnceAndEscaped)
{
    const std::string folder = config.path().toStdString() + "/hoistwise";
    const std::string ports = folder + "/ports.conf";
    struct Row {
        const char* what;
        std::function<void()> prepare;
        QStringList arguments;
        int status;
        std::string expected;        // in the output, or in the error output for status 2
    };
    const std::vector<Row> rows{
        {"a FIFO as ports file", [&] { ::mkfifo(ports.c_str(), 0600); }, {},
         0, "  is a FIFO, not a file; no port is mapped by it\n"},
        {"a folder as ports file", [&] { std::filesystem::create_directory(ports); }, {},
         0, "  is a folder, not a file; no port is mapped by it\n"},
        {"a 1 MB mapping value", [&] { writePortsFile("COM1=/dev/" + std::string(1 << 20, 'x')); }, {},
         0, "x... (1048581 bytes)  from ports.conf line 1, refused: it is 1048581 bytes long"},
        {"escape characters", [&] { writePortsFile("COM2=/dev/\033]0;x\007\n\033[31m\n"); }, {},
         0, "  COM2  /dev/\\e]0;x\\x07  from ports.conf line 1"},
        {"escapes in a network mapping", [&] { writePortsFile("COM2=rfc2217://\033[31mhost:1\n"); }, {},
         0, "\"rfc2217://\\e[31mhost:1\" is not a network port"},
        {"escapes in --port", [] {}, {"--port", "1=tcp://h\033]0;x\007:1"},
         2, "\"tcp://h\\e]0;x\\x07:1\" is not a network port"},
        {"a FIFO as certificate authority", [&] { ::mkfifo((folder + "/ca").c_str(), 0600); },
         {"--port", "3=rfc2217s://mr3:3001?ca=" + QString::fromStdString(folder) + "/ca"},
         0, "/hoistwise/ca: is a FIFO, not a file"},
        {"a right-to-left override", [] {}, {"--port", "2=/dev/tty\u202eSU"},
         0, "  COM2  /dev/tty\\u202eSU  from --port"},
        {"the controlling terminal", [] {}, {"--port", "1=/dev/tty"},
         0, "  COM1  /dev/tty  from --port, refused: it is the terminal this program was started from"},
        {"a folder as device", [] {}, {"--port", "2=/tmp"},
         0, "  COM2  /tmp  from --port, refused: it is not a serial device (it is a folder)\n"},
        {"a device but no terminal", [] {}, {"--port", "2=/dev/null"},
         0, "  COM2  /dev/null  from --port, refused: it is not a serial device (it is a character device of another "
            "kind)\n"},
        {"a repeated --port", [] {}, {"--port", "1=/dev/ttyUSB0", "--port", "1=/dev/ttyUSB1"},
         2, "iobench: --port 1 is given twice (\"/dev/ttyUSB0\" and \"/dev/ttyUSB1\"): give each port once."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        row.prepare();
        const Outcome outcome = run(program("iobench"), QStringList{"--list-ports"} + row.arguments,
                                    withoutDisplay({{"XDG_CONFIG_HOME", config.path()}}));
        EXPECT_EQ(outcome.status, row.status) << outcome.err;
        const std::string& text = row.status == 2 ? outcome.err : outcome.out;
        EXPECT_NE(text.find(row.expected), std::string::npos) << text.substr(0, 3000);
        EXPECT_EQ(text.find('\033'), std::string::npos);
        EXPECT_EQ(text.find("\u202e"), std::string::npos);
        EXPECT_LT(text.size(), 5000u);
    }
}

// Capture is on unless turned off, on the command line or in the environment, and goes where
// either says.
TEST(CaptureOptions, TheCommandLineAndTheEnvironmentTurnItOffOrMoveIt)
{
    sim::PseudoTerminal pty;
    QTemporaryDir dir;
    const QString captures = dir.path() + "/captures";
    struct Case {
        QStringList arguments;
        std::vector<std::pair<QString, QString>> environment;
        bool records;
    };
    const std::vector<Case> cases{
        {{"--capture-dir", captures}, {}, true},
        {{}, {{"HOISTWISE_CAPTURE_DIR", captures}}, true},
        {{"--no-capture", "--capture-dir", captures}, {}, false},
        {{}, {{"HOISTWISE_CAPTURE_DIR", captures}, {"HOISTWISE_NO_CAPTURE", "1"}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        std::filesystem::remove_all(captures.toStdString());
        QProcessEnvironment environment = withoutDisplay();
        environment.remove("HOISTWISE_NO_CAPTURE");   // the test run's own setting
        for (const auto& [name, value] : c.environment)
            environment.insert(name, value);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("HOISTWISE_COM1", QString::fromStdString(pty.slavePath()));
        QProcess carscope;
        carscope.setProcessEnvironment(environment);
        carscope.start(QString::fromStdString(program("carscope")), c.arguments);
        EXPECT_FALSE(carscope.waitForFinished(1500)) << carscope.readAllStandardError().toStdString();
        carscope.kill();
        carscope.waitForFinished();
        int sessions = 0;
        if (std::filesystem::exists(captures.toStdString()))
            for (const auto& entry : std::filesystem::directory_iterator(captures.toStdString()))
                sessions += entry.path().extension() == ".timing";
        EXPECT_EQ(sessions, c.records ? 1 : 0);
    }
}

} // namespace
