#pragma once
// cabtalk's signal matrix: four columns of fixed signal names, each with its value column to the
// right, and a fifth value column without names (table line 8). Every cell is a label at its
// place in twips; value labels are grey and start empty.
#include "toolkit/Label.h"

#include <array>
#include <memory>
#include <string>

namespace carterm {

class SignalMatrix {
public:
    static constexpr int kRows = 16;
    static constexpr std::array<int, 4> kNameColumns{0, 2, 4, 6};
    static constexpr std::array<int, 5> kValueColumns{1, 3, 5, 7, 13};

    explicit SignalMatrix(toolkit::Container& window);

    // Name label of grid column 0, 2, 4 or 6, row 1-16.
    toolkit::Label& name(int column, int row) const;
    // Value label of value column 1, 3, 5, 7 or 13, row 1-16.
    toolkit::Label& value(int column, int row) const;

    // Control names and captions, exactly as the window was designed.
    static std::string nameLabelName(int column, int row);
    static std::string valueLabelName(int column, int row);
    static const char* nameCaption(int column, int row);
    static std::string valueDescription(int column, int row);
    static int leftOf(int column);
    static int topOf(int row) { return 360 + 240 * (row - 1); }
    static constexpr int kCellWidth = 375;
    static constexpr int kCellHeight = 255;

private:
    static int nameIndex(int column);
    static int valueIndex(int column);
    std::array<std::array<std::unique_ptr<toolkit::Label>, kRows>, 4> names_;
    std::array<std::array<std::unique_ptr<toolkit::Label>, kRows>, 5> values_;
};

} // namespace carterm
