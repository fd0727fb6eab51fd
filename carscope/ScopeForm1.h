#pragma once
// carscope's car window: the signal grid over the terminal, the fault grid, the decoded floor
// position, polling every 250 ms and the stress test.
#include "carterm/Form1.h"
#include "toolkit/Grid.h"

namespace carterm {

class ScopeForm1 : public Form1 {
public:
    explicit ScopeForm1(std::unique_ptr<serial::SerialBackend> serialBackend = nullptr);

    toolkit::Grid Grid1; // the 55 signal names and their values, shown by "pmi 1"
    toolkit::Grid Grid2; // the fault registers "FLT0=" to "FLT3=" and their two fields

    // Last integer values read from the POP, R1, R2 and R4 cells.
    int popValue = 0, r1Value = 0, r2Value = 0, r4Value = 0;

    void Text1_Change() override;
    void Timer1_Timer() override;
    void Timer2_Timer() override;
    void Timer3_Timer() override;
    void Command1_Click() override;
    void Command2_Click() override;
    void Command6_Click() override;
    void txtbbt_Change() override;
    void Grid1_RowColChange() {}

    std::shared_ptr<Moment> keepMoment() const override;
    void putBack(const Moment& moment) override;

protected:
    void loadDisplay() override;
    void showPortState() override;
    void portClosedByToggle() override;
    void openSettings() override;

private:
    void placeControls();
    // Follows the reply buffer as it slides, so that a reply keeps its place in the received
    // stream: bufferStart_ is where the buffer's first character stands in it.
    void trackBuffer(const std::string& buffer);

    std::string trackedBuffer_;
    long long bufferStart_ = 0;
    // The velocity reply last shown: its place in the stream and the value taken from it.
    long long shownVelocityAt_ = -1;
    std::string shownVelocity_;
};

// carscope's own controls without a caption, for assistive technology.
inline constexpr toolkit::ControlDescription kScopeForm1Descriptions[] = {
    {"Grid1", "signal grid"},
    {"Grid2", "fault register grid"},
};

} // namespace carterm
