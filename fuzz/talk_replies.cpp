// cabtalk's reply parsing and matrix display, fed received pieces and the passing of time,
// against the marker rules of this build: velocity, BBT and the "FLT0" block are read only while
// "> PMII" is in the buffer parsed; a table display copies every cell from the header's wire
// layout and asks for the velocity as the SM value says; the requests follow the stop count.
#include "fuzz/CarReplies.h"
#include "cabtalk/TalkForm1.h"

using namespace fuzz;

namespace {

constexpr int kValueColumns[] = {1, 3, 5, 7, 13};

void checkDisplay(carterm::TalkForm1& form, const std::string& buffer, const std::string& velocityShown, int velAsked)
{
    for (int row = 1; row <= 16; ++row)
        for (int column : kValueColumns)
            checkEqual(form.matrix.value(column, row).caption(), tableCell(buffer, column, row).value_or(""),
                       "a table display copies the wire layout");
    const double sm = leadingNumber(*tableCell(buffer, 5, 14));
    const int want = (sm == 0 && velocityShown != "  0") + (sm == 1);
    check(velAsked == want, "the display asks for the velocity as the SM value says", velocityShown);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CarWindow<carterm::TalkForm1> window;
    carterm::TalkForm1& form = *window.form;
    carterm::FakeSerialBackend& line = *window.line;

    ReferencePane pane;
    int bbtRequests = 0, velRequests = 0;
    for (const CarStep& step : carSteps(data, size)) {
        if (step.waits) {
            const bool displays = form.Timer1.enabled();
            const std::string buffer = form.Text1.text();
            const std::string velocityShown = form.txtvel.text();
            const int velBefore = velRequests;
            window.platform.advance(250);
            checkRequests(line.takeSent(), {"vel", "bbt", "flt0", "pmii"}, bbtRequests, velRequests);
            if (displays && firstAt(buffer, kPmiHeader))
                checkDisplay(form, buffer, velocityShown, velRequests - velBefore);
        }
        if (step.received.empty())
            continue;

        const std::string old = form.Text1.text();
        std::string velocity = form.txtvel.text(), bbt = form.txtbbt.text(), faults = form.Text5.text();
        const std::string appended = pane.append(step.received);
        line.feed(step.received);
        checkEqual(form.Term.text(), pane.text, "the pane holds the normalised text");
        checkEqual(form.Text1.text(), replyBufferAfter(old, appended), "the reply buffer holds the last 418 characters");
        checkRequests(line.takeSent(), {"vel", "bbt", "flt0", "pmii"}, bbtRequests, velRequests);

        for (const std::string& buffer : parserRuns(old, appended)) {
            if (!firstAt(buffer, "> PMII"))
                continue;
            if (const long m = firstAt(buffer, "VEL =   "))
                velocity = mid(buffer, m + 8, 3);
            if (const long m = firstAt(buffer, "BBT"))
                bbt = mid(buffer, m + 8, 5);
            if (const long m = firstAt(buffer, "FLT0"))
                faults = mid(buffer, m + 8, 76);
        }
        checkEqual(form.txtvel.text(), velocity, "the velocity box shows the first reply while a poll's answer is in");
        checkEqual(form.txtbbt.text(), bbt, "the BBT box shows the first reply while a poll's answer is in");
        checkEqual(form.Text5.text(), faults, "the fault block shows the first reply while a poll's answer is in");
    }
    check(bbtRequests == form.zeroVelCount, "every counted stop asks for the BBT value once");
    return 0;
}
