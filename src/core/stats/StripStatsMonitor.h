#pragma once

#include <string>
#include <utility>
#include <vector>

class ScannerView;

// The one view, as recorded by the statistic monitor's constructor; the monitor's
// handlers and the scan report reach the Scanner state through it.
extern ScannerView* StatsView;

// The strip statistic monitor's state and behaviour without a window: the figures
// it shows, its histogram list and the text "Copy Stats to Buffer" hands over. The
// view creates one for its whole life; the dialog and the command-line runner both
// show what it holds.
class StripStatsMonitor {
public:
    explicit StripStatsMonitor(ScannerView* view);
    virtual ~StripStatsMonitor() = default;

    // Runs StripStats and fills the figures from its results.
    void ComputeStatistics();
    // Fills the figures from the results now in the StripStats work area.
    void FillFromStripStats();

    // Appends the 256 lines of the histogram now in the work area to the list and
    // returns the clipboard text of the whole list.
    std::string CopyStats();
    // The list as the clipboard receives it: "item%4d: %s\r\n" per line, without the
    // terminating NUL.
    std::string ClipboardText() const;
    const std::vector<std::string>& HistogramLines() const { return m_histLines; }
    // A new monitor window starts with an empty list.
    void ClearHistogramLines() { m_histLines.clear(); }

    void OnNoteSystem122();
    void OnNoteSystem73();
    void OnNoteSystem88();
    void OnNoteSystem61();

    // The ten figures as the dialog shows them, labelled, in the runner's order.
    std::vector<std::pair<std::string, std::string>> LabelledFields() const;

    float m_avgDeviation = 0.0f;
    int m_maxSwing = 0;
    int m_meanAll = 0;
    int m_maxNegDeviation = 0;
    int m_maxPosDeviation = 0;
    std::string m_histSelection;
    std::string m_deadOn;
    std::string m_plusMinus1;
    std::string m_plusMinus2;
    std::string m_threeOrMore;
    std::string m_numScans;

protected:
    void AppendHistogramLines();

private:
    std::vector<std::string> m_histLines;
};

// A float as the dialog's data exchange shows it: six significant digits.
std::string FormatDialogFloat(float value);
