// carscope's reply parsing and table display, fed received pieces and the passing of time, against
// the marker rules: the reply buffer holds the last 418 characters; after every piece the BBT box
// and the fault grid show what the first marker of the last buffer parsed says (or keep their
// text); the velocity box shows the first velocity reply or the table's "  0"; a table display
// copies every cell from the header's wire layout; the requests follow the zero-velocity chain.
#include "fuzz/CarReplies.h"
#include "carscope/ScopeForm1.h"

using namespace fuzz;

namespace {

constexpr int kValueColumns[] = {1, 3, 5, 7, 13};
constexpr std::string_view kFaultMarkers[] = {"FLT  0", "FLT  1", "FLT  2", "FLT  3"};

void checkTable(const carterm::ScopeForm1& form, const std::string& buffer)
{
    for (int row = 0; row <= 16; ++row)
        for (int column : kValueColumns) {
            const auto want = row == 0 ? std::optional<std::string>("") : tableCell(buffer, column, row);
            checkEqual(form.Grid1.cell(row, column), want.value_or(""), "a table display copies the wire layout");
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CarWindow<carterm::ScopeForm1> window;
    carterm::ScopeForm1& form = *window.form;
    carterm::FakeSerialBackend& line = *window.line;

    ReferencePane pane;
    int bbtRequests = 0, velRequests = 0;
    for (const CarStep& step : carSteps(data, size)) {
        if (step.waits) {
            const bool displays = form.Timer1.enabled();
            const std::string buffer = form.Text1.text();
            const int velBefore = velRequests;
            window.platform.advance(250);
            checkRequests(line.takeSent(), {"vel", "bbt", "flt0"}, bbtRequests, velRequests);
            if (displays && firstAt(buffer, kPmiHeader)) {
                checkTable(form, buffer);
                const bool moving = leadingNumber(*tableCell(buffer, 5, 14)) == 1;
                check(moving ? velRequests == velBefore + 1 : form.txtvel.text() == "  0",
                      "a moving car is asked its velocity, a standing one shows \"  0\"", form.txtvel.text());
            }
        }
        if (step.received.empty())
            continue;

        const std::string old = form.Text1.text();
        const std::string bbtBefore = form.txtbbt.text();
        std::string faults[4][2];
        for (int n = 0; n < 4; ++n)
            for (int c = 1; c <= 2; ++c)
                faults[n][c - 1] = form.Grid2.cell(n, c);
        const std::string appended = pane.append(step.received);
        line.feed(step.received);
        checkEqual(form.Term.text(), pane.text, "the pane holds the normalised text");
        checkEqual(form.Text1.text(), replyBufferAfter(old, appended), "the reply buffer holds the last 418 characters");
        checkRequests(line.takeSent(), {"vel", "bbt", "flt0"}, bbtRequests, velRequests);

        std::string bbt = bbtBefore;
        for (const std::string& buffer : parserRuns(old, appended)) {
            if (const long m = firstAt(buffer, "BBT"))
                bbt = mid(buffer, m + 8, 5);
            for (int n = 0; n < 4; ++n)
                if (const long m = firstAt(buffer, kFaultMarkers[n])) {
                    faults[n][0] = mid(buffer, m + 8, 2);
                    faults[n][1] = mid(buffer, m + 14, 2);
                }
        }
        checkEqual(form.txtbbt.text(), bbt, "the BBT box shows the first BBT reply");
        for (int n = 0; n < 4; ++n)
            for (int c = 1; c <= 2; ++c)
                checkEqual(form.Grid2.cell(n, c), faults[n][c - 1], "a fault row shows its first reply");
        if (const long m = firstAt(form.Text1.text(), "VEL =   ")) {
            const std::string velocity = mid(form.Text1.text(), m + 8, 3);
            check(form.txtvel.text() == velocity || form.txtvel.text() == "  0",
                  "the velocity box shows the first velocity reply", form.txtvel.text(), velocity);
        }
    }
    check(bbtRequests == form.zeroVelCount, "every counted stop asks for the BBT value once");
    check(form.zeroVelCount == 0 || form.Text2.text() == std::to_string(form.zeroVelCount),
          "the stop count shows in its box", form.Text2.text());
    const std::string& position = form.txtpos.text();
    check(position.empty() || (position.size() == 1 && position[0] >= '1' && position[0] <= '7'),
          "the position is a floor from 1 to 7", position);
    return 0;
}
