#include "stats/StripStatsMonitor.h"

#include "log/CLocalePrintf.h"
#include "scanner/ScannerView.h"
#include "stats/StripStats.h"

#include <algorithm>
#include <cassert>
#include <cstdarg>
#include <cstdio>

ScannerView* StatsView = nullptr;

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = CLocaleVsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        return {};
    }
    return std::string(buffer, std::min<size_t>(static_cast<size_t>(length), sizeof buffer - 1));
}

void SetStripLength(int8_t notesPlusFive) {
    assert(StatsView != nullptr);
    StatsView->m_stripLength = notesPlusFive;
}

} // namespace

StripStatsMonitor::StripStatsMonitor(ScannerView* view) {
    StatsView = view;
}

void StripStatsMonitor::ComputeStatistics() {
    StripStats();
    FillFromStripStats();
}

void StripStatsMonitor::FillFromStripStats() {
    const StripStatsWorkArea& w = StripStatsWork;
    m_numScans = Format("%3d", w.S);
    m_meanAll = static_cast<int>(w.MeanAll);
    m_avgDeviation = w.AvgDeviation;
    m_maxSwing = w.MaxSwing;
    m_maxPosDeviation = w.MaxPosDeviation;
    m_maxNegDeviation = w.MaxNegDeviation;

    const int32_t plusMinus1 = w.PlusOneCount() + w.MinusOneCount();
    const int32_t plusMinus2 = w.PlusTwoCount() + w.MinusTwoCount();
    m_deadOn = Format("%d   %05.2f percent", w.DeadOnCount(), w.Percentage(w.DeadOnCount()));
    m_plusMinus1 = Format("+1 = %d   -1 = %d  total %% %0.3f ", w.PlusOneCount(), w.MinusOneCount(),
                          w.Percentage(plusMinus1));
    m_plusMinus2 = Format("+2 = %d   -2 = %d  total %% %0.3f", w.PlusTwoCount(), w.MinusTwoCount(),
                          w.Percentage(plusMinus2));
    m_threeOrMore = Format("# >= 3 %d total %% %0.3f", w.ThreeOrMoreCount(),
                           w.Percentage(w.ThreeOrMoreCount()));
}

void StripStatsMonitor::AppendHistogramLines() {
    const StripStatsWorkArea& w = StripStatsWork;
    m_histLines.reserve(m_histLines.size() + 256);
    for (int k = 0; k < 256; ++k) {
        const int deviation = k < 128 ? k : k - 256;
        m_histLines.push_back(Format(" %3d %5d", deviation, w.DeviationHist[k]));
    }
}

std::string StripStatsMonitor::CopyStats() {
    AppendHistogramLines();
    return ClipboardText();
}

std::string StripStatsMonitor::ClipboardText() const {
    std::string text;
    text.reserve(m_histLines.size() * 32);
    int n = 0;
    for (const std::string& line : m_histLines) {
        text += Format("item%4d: ", n++);
        text += line;
        text += "\r\n";
    }
    return text;
}

void StripStatsMonitor::OnNoteSystem122() {
    SetStripLength(127);
}

void StripStatsMonitor::OnNoteSystem73() {
    SetStripLength(78);
}

void StripStatsMonitor::OnNoteSystem88() {
    SetStripLength(93);
}

void StripStatsMonitor::OnNoteSystem61() {
    SetStripLength(66);
}

std::vector<std::pair<std::string, std::string>> StripStatsMonitor::LabelledFields() const {
    return {
        {"Number Of Scans", m_numScans},
        {"Mean of all Tessels", std::to_string(m_meanAll)},
        {"Avg Deviation", FormatDialogFloat(m_avgDeviation)},
        {"Max Deviation Swing", std::to_string(m_maxSwing)},
        {"Max Positive Deviation", std::to_string(m_maxPosDeviation)},
        {"Max Negative Deviation", std::to_string(m_maxNegDeviation)},
        {"Dead On Samples", m_deadOn},
        {"Samples +/- 1", m_plusMinus1},
        {"Samples +/- 2", m_plusMinus2},
        {"3 or greater deviation", m_threeOrMore},
    };
}

std::string FormatDialogFloat(float value) {
    return Format("%.*g", 6, static_cast<double>(value));
}
