// cartrace: a recorded session of the car terminals as a timeline; CSV, PNG and SVG.
#include "cartrace/CsvExport.h"
#include "cartrace/TimelineExport.h"
#include "cartrace/TraceData.h"
#include "cartrace/TraceWindow.h"
#include "cartrace/TimeArgument.h"
#include "cartrace/TimelinePainter.h"
#include "cartrace/TimelineWidget.h"
#include "launch/ProgramEntry.h"
#include "serial/capture/CaptureFolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QGuiApplication>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

int fail(const std::string& text)
{
    std::fprintf(stderr, "cartrace: %s\n", text.c_str());
    return 1;
}

// --csv and --render: no window, no display.
int headless(const launch::CommandLine& line, int argc, char** argv)
{
    cartrace::TraceData data;
    if (!data.open(line.operand))
        return fail(data.error());
    if (const std::string csv = line.value("csv"); !csv.empty()) {
        std::ofstream out(csv, std::ios::binary);
        if (out)
            cartrace::writeCsv(data, out);
        out.close();
        if (!out)
            return fail(csv + ": cannot be written");
    }
    const std::string render = line.value("render");
    if (render.empty())
        return 0;
    cartrace::TimelineView view;
    std::string bad;
    view.lanes = line.value("signals").empty() ? cartrace::defaultSignals()
                                                  : cartrace::signalsByName(line.value("signals"), bad);
    if (!bad.empty())
        return fail("no signal is called " + bad + "; the names are those of carscope's signal grid, "
                    "for example SM,RUN,DOL");
    view.from = 0;
    view.to = data.duration();
    for (const char* name : {"from", "to"}) {
        if (line.value(name).empty())
            continue;
        const auto t = cartrace::parseTimeArgument(line.value(name), data.startEpochMicros());
        if (!t)
            return fail("--" + std::string(name) + " \"" + line.value(name) + "\" is not a time: give seconds "
                        "from the start (90 or 90.5) or a UTC time (2026-12-09T09:01:48Z)");
        (std::string(name) == "from" ? view.from : view.to) = *t;
    }
    if (view.to <= view.from)
        return fail("--to must be later than --from");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (const std::string error = cartrace::exportTimeline(data, view, render); !error.empty())
        return fail(error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string capture;
    std::string signalList;
    const launch::Program cartrace{
        .name = "cartrace",
        .summary = "A recorded session of the Hoistwise car terminals as a timeline.",
        .platformTitle = "cartrace",
        .quitOnLastWindowClosed = true,
        .options = {{"csv", "OUT", "write the decoded replies to OUT as CSV, then exit"},
                    {"render", "OUT", "draw the timeline to OUT (.png or .svg), then exit"},
                    {"from", "T", "with --render: start at T (seconds from the start, or UTC)"},
                    {"to", "T", "with --render: end at T"},
                    {"signals", "LIST", "the signal lanes, for example SM,RUN,DOL (the grid's names)"}},
        .operand = "[CAPTURE]",
        .description = "CAPTURE is a session that carscope, cabtalk or iobench recorded (either of\n"
                       "its two files, .timing or .data, or their common name). cartrace draws\n"
                       "floor, velocity, BBT, faults, the chosen signals, the commands sent and\n"
                       "the line's events on one time axis, and follows a capture still being\n"
                       "written. Keys: + and - zoom, arrows pan, N and P next and previous\n"
                       "fault; drag to pan, the wheel zooms, a click puts the cursor.\n",
        .handle = [&](const launch::CommandLine& line) {
            capture = line.operand;
            const bool toFile = !line.value("csv").empty() || !line.value("render").empty();
            if (toFile && capture.empty()) {
                std::fprintf(stderr, "cartrace: --csv and --render need the CAPTURE to read; try 'cartrace --help'.\n");
                return 2;
            }
            if (toFile)
                return headless(line, argc, argv);
            for (const char* name : {"from", "to"})
                if (!line.value(name).empty()) {
                    std::fprintf(stderr, "cartrace: --%s goes with --render; try 'cartrace --help'.\n", name);
                    return 2;
                }
            signalList = line.value("signals");
            return -1;
        },
        .run = [&](const launch::CommandLine&) {
            if (capture.empty()) {
                // Started from the menu: the technician picks a capture.
                const QString chosen = QFileDialog::getOpenFileName(
                    nullptr, "Open a recorded session", QString::fromStdString(serial::capture::defaultCaptureFolder()),
                    "Session captures (*.timing *.data)");
                if (chosen.isEmpty())
                    return 0;
                capture = chosen.toStdString();
            }
            auto data = std::make_unique<cartrace::TraceData>();
            if (!data->open(capture)) {
                // Said on the terminal first: whoever started cartrace there need not find the box.
                const int failed = fail(data->error());
                QMessageBox::warning(nullptr, "cartrace", QString::fromStdString(data->error()));
                return failed;
            }
            cartrace::TraceWindow window(std::move(data));
            if (!signalList.empty()) {
                std::string bad;
                window.timeline().setSignals(cartrace::signalsByName(signalList, bad));
            }
            window.show();
            return QApplication::exec();
        },
    };
    return launch::runProgram(cartrace, argc, argv);
}
