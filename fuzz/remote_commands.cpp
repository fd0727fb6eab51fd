// The bench's command recogniser, fed received pieces: text without a command does nothing and
// stays in the terminal; a command acts at most once per piece that brings it; the rows that
// clear the terminal leave it empty; the modem commands go out only for their reports.
#include "fuzz/FuzzCheck.h"
#include "iobench/RemoteCommands.h"
#include "tests/iobench/BenchHarness.h"
#include "tests/support/ReferencePane.h"

using namespace fuzz;
namespace remote = iobench::remote;

namespace {

size_t count(std::string_view text, std::string_view what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

bool holds(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    startQt();
    BenchHarness bench({true, false});
    bench.sent();
    iobench::Packed_Form& form = *bench.form;
    carterm::FakeSerialBackend& line = *bench.line;
    iobench::FakeAdapterDriver& driver = bench.driver;

    const std::string_view clearing[] = {remote::kConfigPoints, remote::kWriteZero, remote::kWriteOne,
                                         remote::kCloseAdapter, remote::kNoCarrier};
    const std::string_view everyCommand[] = {remote::kOpenKx9, remote::kConfigPoints, remote::kWriteZero,
                                             remote::kWriteOne, remote::kCloseAdapter, remote::kRing,
                                             remote::kNoCarrier, remote::kDisconnect};
    for (const std::string& piece : pieces(data, size)) {
        if (piece.empty())
            continue;
        ReferencePane pane{form.Term.text(), form.termSize};
        pane.append(piece);
        const std::string& shown = pane.text; // what the recogniser finds after the append
        const bool openable = form.open_kx9_button.enabled();
        driver.clearCalls();
        line.feed(piece);
        const std::string sent = line.takeSent();

        bool anyCommand = false;
        for (std::string_view c : everyCommand)
            anyCommand = anyCommand || holds(shown, c);
        if (!anyCommand) {
            check(sent.empty() && driver.calls().empty(), "text without a command does nothing", sent, shown);
            checkEqual(form.Term.text(), shown, "text without a command stays in the terminal");
            continue;
        }

        const bool opens = openable && holds(shown, remote::kOpenKx9);
        // A hang-up under way keeps the line silent, so an open's echo may be held back.
        const size_t echoes = count(sent, "base_io_textbox.Text = ");
        check(form.hangingUp() ? echoes <= (opens ? 1u : 0u) : echoes == (opens ? 1u : 0u),
              "an open command echoes once", sent, shown);
        // Each RING report gets its own answer, so two reports in one piece may get two; never
        // more answers than reports in sight.
        check(count(sent, "at&s0=1\r") <= count(shown, remote::kRing),
              "a ring report is answered at most once", sent, shown);
        check(count(sent, "ath0\r") <= size_t{holds(shown, remote::kNoCarrier)} + holds(shown, remote::kDisconnect),
              "a hang-up goes out only for a lost carrier or a disconnect", sent, shown);

        bool clears = opens;
        for (std::string_view c : clearing)
            clears = clears || holds(shown, c);
        if (clears)
            checkEqual(form.Term.text(), "", "a command that clears leaves the terminal empty");
        else
            checkEqual(form.Term.text(), shown, "the terminal keeps what no row clears");
    }
    return 0;
}
