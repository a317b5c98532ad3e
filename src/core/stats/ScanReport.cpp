#include "stats/ScanReport.h"

#include "log/CLocalePrintf.h"
#include "scanner/ScannerView.h"
#include "stats/StripStats.h"
#include "stats/StripStatsMonitor.h"

#include <algorithm>
#include <cassert>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr const char* kNoScanInstructions[] = {
    "the scanner report is not available\n",
    "Run the scan dump:\n",
    " 1> Connect the QZ4 midi out to your computer midi in \n",
    " 2> Connect your computer midi out to the QZ4 midi in \n",
    " 3> open the MidiInput port \n",
    " 4> open the MidiOut port \n",
    " 5> Start the Timer \n",
    " 6> Stop the Timer \n",
    "\n",
};

// A fixed line buffer that pieces are formatted into; what would not fit is cut.
class LineBuffer {
public:
    static constexpr size_t kBytes = 400;

    void Clear() {
        m_length = 0;
        m_text[0] = '\0';
    }

    void Append(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        const int written = CLocaleVsnprintf(m_text + m_length, kBytes - m_length, format, args);
        va_end(args);
        if (written > 0) {
            m_length = std::min(m_length + static_cast<size_t>(written), kBytes - 1);
        }
    }

    void AppendTo(std::string& text) const { text.append(m_text, m_length); }

private:
    char m_text[kBytes] = {};
    size_t m_length = 0;
};

// Formats one piece and appends it to the text.
class ReportWriter {
public:
    explicit ReportWriter(std::string& text) : m_text(text) {}

    void Piece(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char buffer[LineBuffer::kBytes];
        va_list args;
        va_start(args, format);
        const int written = CLocaleVsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        if (written > 0) {
            m_text.append(buffer, std::min(static_cast<size_t>(written), sizeof buffer - 1));
        }
    }

private:
    std::string& m_text;
};

void AppendSummary(ReportWriter& out, const StripStatsWorkArea& w) {
    out.Piece("Total Number Of Samples %d\n", w.TotalSamples);
    out.Piece("Dead On Samples %4.2f percent\n", w.Percentage(w.DeadOnCount()));
    out.Piece("Deviation +1 Samples %4.2f percent\n", w.Percentage(w.PlusOneCount()));
    out.Piece("Deviation -1 Samples %4.2f percent\n", w.Percentage(w.MinusOneCount()));
    out.Piece("Average Deviation %3.2f\n", static_cast<double>(w.AvgDeviation));
    out.Piece(" Mean Value %3.2f\n", static_cast<double>(w.MeanAll));
}

void AppendSensorLines(ReportWriter& out, const StripStatsWorkArea& w) {
    for (int i = 0; i < w.N; ++i) {
        out.Piece("Tessel # %03d", i);
        out.Piece(" Mean %8.4f", static_cast<double>(w.SensorMean[i]));
        out.Piece(" Mean %03d ", w.SensorMeanByte[i]);
        out.Piece(" Max,Min,dif %03d %03d %1d ", w.SensorMax[i], w.SensorMin[i],
                  w.SensorMax[i] - w.SensorMin[i]);
        for (int j = 0; j < w.S; ++j) {
            out.Piece(" %3d", w.StatsWindow[i][j]);
        }
        out.Piece("\n");
    }
}

// Histogram columns from `first` stepping by `step` over `columns` counters; the
// labels are the deviations the counters stand for.
void AppendHistogramPair(std::string& text, const StripStatsWorkArea& w, int first, int step,
                         int columns) {
    LineBuffer labels;
    LineBuffer counts;
    for (int c = 0, k = first; c < columns; ++c, k += step) {
        labels.Append(" %4d ", k < 128 ? k : k - 256);
        counts.Append(" %4d ", w.DeviationHist[k]);
    }
    labels.Append("\n");
    counts.Append("\n");
    labels.AppendTo(text);
    counts.AppendTo(text);
}

} // namespace

std::string BuildScanReport() {
    // The monitor records the view when it is made; a report needs one.
    assert(StatsView != nullptr);
    ScannerView& view = *StatsView;
    view.ProcessMidiInput();

    std::string text = "\n";
    if (view.m_scanCount == 0) {
        for (const char* line : kNoScanInstructions) {
            text += line;
        }
        view.ProcessMidiInput();
        return text;
    }

    const bool stoppedHere = view.m_bTimerOn != 0;
    if (stoppedHere) {
        view.StopPollTimer();
    }
    StripStats();
    const StripStatsWorkArea& w = StripStatsWork;
    text.reserve(text.size() + 400 + static_cast<size_t>(w.N) * static_cast<size_t>(60 + 4 * w.S) +
                 900);
    ReportWriter out(text);
    AppendSummary(out, w);
    AppendSensorLines(out, w);
    AppendHistogramPair(text, w, 0, 1, 32);
    AppendHistogramPair(text, w, 255, -1, 31);
    if (stoppedHere) {
        view.StartPollTimer();
    }
    return text;
}
