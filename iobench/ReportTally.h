#pragma once
// Counts the reports of one kind (the modem's "RING", the remote operator's "Disconnect") that
// the terminal holds, so that each report acts once, when it arrives, and not again on every
// later change while its text stays in view. A report split over two received pieces counts
// once it is complete; text that left the terminal (a clearing, the trimming, a local edit)
// lowers the tally, so a report that arrives later is still new.
#include <string_view>

namespace iobench {

class ReportTally {
public:
    explicit ReportTally(std::string_view report) : report_(report) {}

    // How many reports `text` holds beyond those already counted.
    int fresh(std::string_view text)
    {
        int held = 0;
        for (auto at = text.find(report_); at != std::string_view::npos; at = text.find(report_, at + report_.size()))
            ++held;
        const int added = held > counted_ ? held - counted_ : 0;
        counted_ = held;
        return added;
    }

private:
    std::string_view report_;
    int counted_ = 0;
};

} // namespace iobench
