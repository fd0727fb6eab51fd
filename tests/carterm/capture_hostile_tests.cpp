// Hostile captures for every reader of one: an answer (refusal or result) in 2 s under 100 MB.
#include "serial/capture/CaptureFormat.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>

using namespace serial::capture;

namespace {
#ifdef __SANITIZE_ADDRESS__
// Under the sanitizers freed memory waits in a quarantine of up to 256 MB and every reader runs
// several times slower: only the answers count there, and the readers that end get longer.
constexpr bool kMeasured = false;
#else
constexpr bool kMeasured = true;
#endif
} // namespace

TEST(HostileCaptures, EveryReaderAnswersWithinTwoSecondsInLittleMemory)
{
    // Timing records and data (made when written), a FIFO in place of a file, the refusal.
    using Text = std::string (*)();
    const struct { Text timing, data; const char* fifo; const char* refusal; } hostiles[] = {
        {[] { return std::string(); }, [] { return std::string(); }, ".data", "is a FIFO"},
        {[] { return std::string(); }, [] { return std::string(); }, ".timing", "is a FIFO"},
        {[] { return bytesLine(kReceived, 0, 99999999999); }, [] { return std::string(150, 'x'); }, "", "line 2: the record claims"},
        {[] { return bytesLine(kReceived, 0, 1LL << 31); }, [] { return std::string("x"); }, "", "line 2: the record claims"},
        {[] { return std::string("O 0.000000 9223372036854775808\n"); }, [] { return std::string("x"); }, "", "line 2: the byte count"},
        {[] { std::string t; for (int i = 0; i < 10000000; ++i) t += "O 0.000001 1\n"; return t; },
         [] { return std::string(10000000, 'x'); }, "", nullptr},
        {[] { return bytesLine(kReceived, 1000000, 200000000); }, [] { return std::string(200000000, 'x'); }, "", nullptr},
        {[] { return std::string(200000000, 'O'); }, [] { return std::string(); }, "", "line 2: longer than"},
    };
    QTemporaryDir folder;
    const struct { QStringList arguments; bool window; } readers[] = {
        {{CARSCOPE_PROGRAM, "--replay"}, true}, {{CABTALK_PROGRAM, "--replay"}, true}, {{CARTRACE_PROGRAM}, true},
        {{CARTRACE_PROGRAM, "--csv", folder.filePath("out.csv")}, false}, {{CARTRACE_PROGRAM, "--render", folder.filePath("out.png")}, false}};
    for (const auto& h : hostiles) {
        const std::string stem = folder.filePath(QString::number(&h - hostiles)).toStdString();
        std::ofstream(stem + ".timing", std::ios::binary) << namedLine(kHeader, 0, "START_TIME", "2026-12-09 09:00:00.000000+00:00") << h.timing();
        std::ofstream(stem + ".data", std::ios::binary) << dataHeaderLine("2026-12-09 09:00:00.000000+00:00", "test") << h.data();
        ASSERT_TRUE(!*h.fifo || (std::remove((stem + h.fifo).c_str()) == 0 && ::mkfifo((stem + h.fifo).c_str(), 0600) == 0));
        for (const auto& r : readers) {
            SCOPED_TRACE(stem + " " + (h.refusal ? h.refusal : "read") + " by " + r.arguments.join(' ').toStdString());
            QProcess process;
            process.start(r.arguments[0], r.arguments.mid(1) << QString::fromStdString(stem + ".timing"));
            long long peakKb = 0;
            QByteArray errors;
            const auto patience = std::chrono::seconds(kMeasured || r.window ? 2 : 30);
            for (const auto start = std::chrono::steady_clock::now();
                 std::chrono::steady_clock::now() - start < patience && !process.waitForFinished(20)
                 && !(h.refusal && (errors += process.readAllStandardError()).contains(h.refusal));) {
                std::ifstream status("/proc/" + std::to_string(process.processId()) + "/status");
                for (std::string line; std::getline(status, line);)
                    if (line.rfind("VmHWM:", 0) == 0)
                        peakKb = std::max(peakKb, std::stoll(line.substr(6)));
            }
            errors += process.readAllStandardError();
            const bool ended = process.state() == QProcess::NotRunning;   // a window stays up; QProcess kills it
            EXPECT_TRUE(!kMeasured || peakKb < 100 * 1024) << peakKb << " kB";
            EXPECT_TRUE(h.refusal ? errors.contains(h.refusal) : r.window ? !ended : ended && process.exitCode() == 0) << errors.toStdString();
        }
    }
}
