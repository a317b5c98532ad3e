#pragma once

// What the program shows for its two standard cases, written once for every level that
// shows it: one sensor read four times as 10, 11, 9, 10, and no scan at all.

#include <string>
#include <utility>
#include <vector>

using LabelledFieldList = std::vector<std::pair<std::string, std::string>>;

inline const LabelledFieldList kOneSensorExampleFields = {
    {"Number Of Scans", "  4"},
    {"Mean of all Tessels", "10"},
    {"Avg Deviation", "0.707107"},
    {"Max Deviation Swing", "2"},
    {"Max Positive Deviation", "1"},
    {"Max Negative Deviation", "1"},
    {"Dead On Samples", "2   50.00 percent"},
    {"Samples +/- 1", "+1 = 1   -1 = 1  total % 50.000 "},
    {"Samples +/- 2", "+2 = 0   -2 = 0  total % 0.000"},
    {"3 or greater deviation", "# >= 3 0 total % 0.000"},
};

inline const LabelledFieldList kEmptyWindowFields = {
    {"Number Of Scans", "  0"},
    {"Mean of all Tessels", "0"},
    {"Avg Deviation", "0"},
    {"Max Deviation Swing", "0"},
    {"Max Positive Deviation", "0"},
    {"Max Negative Deviation", "0"},
    {"Dead On Samples", "0   00.00 percent"},
    {"Samples +/- 1", "+1 = 0   -1 = 0  total % 0.000 "},
    {"Samples +/- 2", "+2 = 0   -2 = 0  total % 0.000"},
    {"3 or greater deviation", "# >= 3 0 total % 0.000"},
};

inline const std::string kPositiveLabels =
    "    0     1     2     3     4     5     6     7     8     9    10    11    12    13    14 "
    "   15    16    17    18    19    20    21    22    23    24    25    26    27    28    29 "
    "   30    31 ";
inline const std::string kNegativeLabels =
    "   -1    -2    -3    -4    -5    -6    -7    -8    -9   -10   -11   -12   -13   -14   -15 "
    "  -16   -17   -18   -19   -20   -21   -22   -23   -24   -25   -26   -27   -28   -29   -30 "
    "  -31 ";

// " %4d " columns: the given leading counts, then zeros up to `columns`.
inline std::string Counts(const std::vector<int>& leading, int columns) {
    std::string line;
    for (int c = 0; c < columns; ++c) {
        const std::string number =
            std::to_string(c < static_cast<int>(leading.size()) ? leading[c] : 0);
        line += " " + std::string(number.size() < 4 ? 4 - number.size() : 0, ' ') + number + " ";
    }
    return line;
}

inline const std::string kOneSensorExampleReport =
    "\n"
    "Total Number Of Samples 4\n"
    "Dead On Samples 50.00 percent\n"
    "Deviation +1 Samples 25.00 percent\n"
    "Deviation -1 Samples 25.00 percent\n"
    "Average Deviation 0.71\n"
    " Mean Value 10.00\n"
    "Tessel # 000 Mean  10.0000 Mean 010  Max,Min,dif 011 009 2   10  11   9  10\n" +
    kPositiveLabels + "\n" + Counts({2, 1}, 32) + "\n" + kNegativeLabels + "\n" + Counts({1}, 31) +
    "\n";

inline const std::string kNoScanReport = "\n"
                                         "the scanner report is not available\n"
                                         "Run the scan dump:\n"
                                         " 1> Connect the QZ4 midi out to your computer midi in \n"
                                         " 2> Connect your computer midi out to the QZ4 midi in \n"
                                         " 3> open the MidiInput port \n"
                                         " 4> open the MidiOut port \n"
                                         " 5> Start the Timer \n"
                                         " 6> Stop the Timer \n"
                                         "\n";
