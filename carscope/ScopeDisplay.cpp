// The car status display: the reply parser's findings and the I/O table copied into the
// signal grid, the fault grid and the boxes, and the requests they lead to.
#include "carscope/ScopeForm1.h"

#include "carterm/reply/ScopeReply.h"
#include "carterm/reply/SignalNames.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace carterm {

namespace {

constexpr std::array<const char*, 4> kFaultLabels = {"FLT0=", "FLT1=", "FLT2=", "FLT3="};

} // namespace

void ScopeForm1::loadDisplay()
{
    for (const reply::SignalName& s : reply::kSignalNames) {
        Grid1.setRow(s.row);
        Grid1.setCol(s.col);
        Grid1.setText(s.name);
    }
    Grid2.setCol(0);
    for (int n = 0; n < 4; ++n) {
        Grid2.setRow(n);
        Grid2.setText(kFaultLabels[static_cast<size_t>(n)]);
    }
}

void ScopeForm1::Text1_Change()
{
    const std::string buffer = Text1.text();
    const reply::ScopeMarkers found = reply::readScopeMarkers(buffer);

    if (found.pollAnswer)
        Timer1.setEnabled(true);

    // A velocity reply is shown once. Shown again after the table display has set the box to
    // "  0", a reply still lingering in the buffer would make one stop count twice.
    trackBuffer(buffer);
    if (found.velocity) {
        const long long at = bufferStart_ + found.velocity->markerAt;
        if (at != shownVelocityAt_ || found.velocity->text != shownVelocity_) {
            shownVelocityAt_ = at;
            shownVelocity_ = found.velocity->text;
            txtvel.setText(found.velocity->text);
        }
    }

    if (found.bbt)
        txtbbt.setText(*found.bbt);

    for (int n = 0; n < 4; ++n) {
        const auto& fault = found.faults[static_cast<size_t>(n)];
        if (!fault)
            continue;
        Grid2.setRow(n);
        Grid2.setCol(1);
        Grid2.setText(fault->code);
        Grid2.setCol(2);
        Grid2.setText(fault->floor);
    }
}

void ScopeForm1::trackBuffer(const std::string& buffer)
{
    const std::string& before = trackedBuffer_;
    const bool grew = buffer.size() >= before.size() && buffer.compare(0, before.size(), before) == 0;
    const bool lostFront = !grew && before.size() > buffer.size() &&
                           before.compare(before.size() - buffer.size(), buffer.size(), buffer) == 0;
    if (lostFront)
        bufferStart_ += static_cast<long long>(before.size() - buffer.size());
    else if (!grew)
        bufferStart_ += static_cast<long long>(before.size()); // replaced outright: all of it is new
    trackedBuffer_ = buffer;
}

void ScopeForm1::Timer1_Timer()
{
    if (const auto table = reply::readScopeTable(Text1.text())) {
        for (const pmi::ValueColumn& col : pmi::valueColumns()) {
            // The SM check comes between columns 5 and 7, as the table is read: while the car
            // runs ask for its speed; at rest the speed is zero.
            if (col.column == pmi::kPositionColumn) {
                if (pmi::smValue(table->values) == 1)
                    send("vel\r");
                else
                    txtvel.setText("  0");
            }
            for (int row = 1; row <= pmi::kRows; ++row)
                if (col.hasRow(row)) {
                    Grid1.setRow(row);
                    Grid1.setCol(col.column);
                    Grid1.setText(table->values.value(col.column, row));
                }
        }

        // A POP, R1, R2 or R4 cell without a number (a table cut short) keeps the last value and
        // leaves the position alone for this table.
        int* const positionValues[] = {&popValue, &r1Value, &r2Value, &r4Value};
        for (size_t i = 0; i < 4; ++i)
            if (const auto bit = table->positionBits[i])
                *positionValues[i] = *bit;
        if (table->floor)
            txtpos.setText(std::to_string(*table->floor));
    }
    Timer1.setEnabled(false);
}

void ScopeForm1::txtbbt_Change() { send("flt0\r"); }

namespace {

struct ScopeMoment : Form1::Moment {
    std::vector<std::string> signalCells, faultCells;
    int positionValues[4] = {};
    std::string trackedBuffer, shownVelocity;
    long long bufferStart = 0, shownVelocityAt = -1;
};

std::vector<std::string> cells(const toolkit::Grid& grid)
{
    std::vector<std::string> all;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            all.push_back(grid.cell(r, c));
    return all;
}

void putBackCells(toolkit::Grid& grid, const std::vector<std::string>& all)
{
    const int row = grid.row(), col = grid.col();
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c) {
            grid.setRow(r);
            grid.setCol(c);
            grid.setText(all[static_cast<size_t>(r * grid.cols() + c)]);
        }
    grid.setRow(row);
    grid.setCol(col);
}

} // namespace

std::shared_ptr<Form1::Moment> ScopeForm1::keepMoment() const
{
    auto moment = std::make_shared<ScopeMoment>();
    keepMomentInto(*moment);
    moment->signalCells = cells(Grid1);
    moment->faultCells = cells(Grid2);
    const int values[] = {popValue, r1Value, r2Value, r4Value};
    std::copy(std::begin(values), std::end(values), moment->positionValues);
    moment->trackedBuffer = trackedBuffer_;
    moment->bufferStart = bufferStart_;
    moment->shownVelocityAt = shownVelocityAt_;
    moment->shownVelocity = shownVelocity_;
    return moment;
}

void ScopeForm1::putBack(const Moment& kept)
{
    Form1::putBack(kept);
    const auto& moment = static_cast<const ScopeMoment&>(kept);
    putBackCells(Grid1, moment.signalCells);
    putBackCells(Grid2, moment.faultCells);
    popValue = moment.positionValues[0];
    r1Value = moment.positionValues[1];
    r2Value = moment.positionValues[2];
    r4Value = moment.positionValues[3];
    trackedBuffer_ = moment.trackedBuffer;
    bufferStart_ = moment.bufferStart;
    shownVelocityAt_ = moment.shownVelocityAt;
    shownVelocity_ = moment.shownVelocity;
}

} // namespace carterm
