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

#include <climits>
#include <cstdio>
#include <memory>

namespace {

int fail(const std::string& text, int status = 1)
{
    std::fprintf(stderr, "cartrace: %s\n", text.c_str());
    return status;
}

// --csv, --faults-csv and --render: no window, no display.
int headless(const launch::CommandLine& line, int argc, char** argv)
{
    cartrace::TraceData data(false);
    if (!data.open(line.operand))
        return fail(data.error());
    const cartrace::TimeRange range =
        cartrace::resolveTimeRange(line.value("from"), line.value("to"), data.startEpochMicros(), data.duration());
    if (!range.error.empty())
        return fail(range.error, 2);
    cartrace::TimelineView view;
    std::string bad;
    view.lanes = line.value("signals").empty() ? cartrace::defaultSignals()
                                                  : cartrace::signalsByName(line.value("signals"), bad);
    if (!bad.empty())
        return fail("no signal is called " + bad + "; the names are those of carscope's signal grid, "
                    "for example SM,RUN,DOL", 2);
    // Rows are taken as asked, not as kept inside the capture: the same rows either way.
    const cartrace::CsvRange rows{line.value("from").empty() ? 0 : range.from,
                                  line.value("to").empty() ? LLONG_MAX : range.to};
    if (const std::string csv = line.value("csv"); !csv.empty())
        if (const std::string error = cartrace::writeFile(csv, [&](std::ostream& out) { cartrace::writeCsv(data, out, rows); });
            !error.empty())
            return fail(error);
    if (const std::string faults = line.value("faults-csv"); !faults.empty())
        if (const std::string error = cartrace::writeFile(faults, [&](std::ostream& out) { cartrace::writeFaultsCsv(data, out, rows); });
            !error.empty())
            return fail(error);
    const std::string render = line.value("render");
    if (render.empty())
        return 0;
    view.from = range.from;
    view.to = range.to;
    if (view.to <= view.from)
        return fail("the capture holds nothing to draw yet");
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
    const std::string pad = "\n" + std::string(23, ' ');   // the help's next line, under the last
    const launch::Program cartrace{
        .name = "cartrace",
        .summary = "A recorded session of the Hoistwise car terminals as a timeline.",
        .platformTitle = "cartrace",
        .quitOnLastWindowClosed = true,
        .options = {{"csv", "OUT", "write the replies, commands and line events to OUT" + pad + "as CSV, then exit"},
                    {"faults-csv", "OUT", "write the fault entries and their descriptions to" + pad + "OUT as CSV, then exit"},
                    {"render", "OUT", "draw the timeline to OUT (.png or .svg), then exit"},
                    {"from", "T", "with --csv, --faults-csv or --render: start at T" + pad +
                                  "(seconds from the start, HH:MM:SS in UTC, or a UTC" + pad + "date and time)"},
                    {"to", "T", "with --csv, --faults-csv or --render: end at T"},
                    {"signals", "LIST", "the signal lanes, for example SM,RUN,DOL (the grid's names)"}},
        .operand = "[CAPTURE]",
        .description = "CAPTURE is a session that carscope, cabtalk or iobench recorded (either of\n"
                       "its two files, .timing or .data, or their common name). cartrace draws\n"
                       "floor, velocity, BBT, faults, the chosen signals, the operator's commands\n"
                       "(the live view's polls as a band under them) and the line's events on one\n"
                       "time axis, shades the stretches the port was not open, shows the car's\n"
                       "state and the raw bytes at the cursor, and follows a capture still being\n"
                       "written. Keys: + and - zoom, arrows pan, N and P next and previous\n"
                       "fault; drag to pan, the wheel zooms, a click puts the cursor.\n",
        .exitStatus = "  0 when done, 1 when the capture cannot be read or an output cannot be\n"
                      "  written (the message says why), 2 for a bad command line (also a time\n"
                      "  outside the capture) or when no display is there for the window.\n",
        .handle = [&](const launch::CommandLine& line) {
            capture = line.operand;
            const bool toFile =
                !line.value("csv").empty() || !line.value("faults-csv").empty() || !line.value("render").empty();
            if (toFile && capture.empty()) {
                std::fprintf(stderr, "cartrace: --csv, --faults-csv and --render need the CAPTURE to read; try 'cartrace --help'.\n");
                return 2;
            }
            if (toFile)
                return headless(line, argc, argv);
            for (const char* name : {"from", "to"})
                if (!line.value(name).empty()) {
                    std::fprintf(stderr, "cartrace: --%s goes with --csv, --faults-csv or --render; try 'cartrace --help'.\n", name);
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
