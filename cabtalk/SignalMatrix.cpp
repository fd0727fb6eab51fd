#include "cabtalk/SignalMatrix.h"

#include "toolkit/Geometry.h"

#include <stdexcept>

namespace carterm {

using namespace toolkit;

namespace {
// Captions of the name columns A-D by row; "" is a label without a caption.
constexpr const char* kCaptions[SignalMatrix::kRows][4] = {
    {"SU1", "GV", "DOB", "POP"},  {"SD1", "HS", "SE", "R1"},   {"SU2", "CS", "LR", "R2"},
    {"SD2", "ICS", "DCB", "R4"},  {"   ", "GL1", "RSB", ""},   {"   ", "ICA", "FC", " "},
    {"   ", "LRS", "FR", " "},    {" MC", "DD", "FAL", "BCR"}, {" UT", "DOL", "FBP", "UP"},
    {" DT", "DCL", "", "DP"},     {" UR", "DL6", "LVE", "DO"}, {" DR", "IC", "BZ", "DC"},
    {"RUN", "ULZ", "HBZ", "NR"},  {" GL", "DLZ", "SM", "FSL"}, {" AU", "LZM", " ", "UDL"},
    {"TRIP", "LZF", " ", "DDL"},
};
constexpr Font kMatrixFont{nullptr, 7.5, false};
constexpr Color kValueGrey{192, 192, 192};
} // namespace

int SignalMatrix::nameIndex(int column)
{
    for (int i = 0; i < 4; ++i)
        if (kNameColumns[i] == column)
            return i;
    throw std::out_of_range("no name column " + std::to_string(column));
}

int SignalMatrix::valueIndex(int column)
{
    for (int i = 0; i < 5; ++i)
        if (kValueColumns[i] == column)
            return i;
    throw std::out_of_range("no value column " + std::to_string(column));
}

std::string SignalMatrix::nameLabelName(int column, int row)
{
    const std::string r = std::to_string(row);
    switch (column) {
    case 0: return row <= 9 ? "lbl0" + r : "lbl_" + r;
    case 2: return row <= 9 ? "lbl2_" + r : "lbl2" + r;
    default: {
        const std::string c = std::to_string(column); // 4 or 6: row 9 lost its "l"
        if (row <= 8)
            return "lbl" + c + "_" + r;
        return row == 9 ? "lb" + c + "_9" : "lbl" + c + r;
    }
    }
}

std::string SignalMatrix::valueLabelName(int column, int row)
{
    const std::string c = std::to_string(column);
    return row <= 9 ? "lbl" + c + "_" + std::to_string(row) : "lbl" + c + std::to_string(row);
}

const char* SignalMatrix::nameCaption(int column, int row) { return kCaptions[row - 1][nameIndex(column)]; }

int SignalMatrix::leftOf(int column)
{
    static constexpr int kNameLeft[4] = {0, 960, 1920, 2880};
    static constexpr int kValueLeft[5] = {480, 1440, 2400, 3360, 4875};
    if (column % 2 == 0)
        return kNameLeft[nameIndex(column)];
    return kValueLeft[valueIndex(column)];
}

// What a value label shows, for assistive technology: the signal named to its left.
std::string SignalMatrix::valueDescription(int column, int row)
{
    if (column == 13)
        return "table line 8 value, row " + std::to_string(row);
    std::string name = nameCaption(column - 1, row);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    if (name.empty())
        return "unnamed value, row " + std::to_string(row);
    return name + " value";
}

SignalMatrix::SignalMatrix(Container& window)
{
    for (int row = 1; row <= kRows; ++row) {
        for (int column : kNameColumns) {
            auto label = std::make_unique<Label>(window, nameLabelName(column, row), nameCaption(column, row));
            label->setFont(kMatrixFont);
            label->move(leftOf(column), topOf(row), kCellWidth, kCellHeight);
            names_[nameIndex(column)][row - 1] = std::move(label);
        }
        for (int column : kValueColumns) {
            auto label = std::make_unique<Label>(window, valueLabelName(column, row));
            label->setFont(kMatrixFont);
            label->setBackColor(kValueGrey);
            label->move(leftOf(column), topOf(row), kCellWidth, kCellHeight);
            label->setDescription(valueDescription(column, row));
            values_[valueIndex(column)][row - 1] = std::move(label);
        }
    }
}

Label& SignalMatrix::name(int column, int row) const { return *names_.at(nameIndex(column)).at(row - 1); }

Label& SignalMatrix::value(int column, int row) const { return *values_.at(valueIndex(column)).at(row - 1); }

} // namespace carterm
