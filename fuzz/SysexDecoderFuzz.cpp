// Feeds arbitrary bytes to the SysEx decoder the way the MIDI input callback hands them
// over, with MIDI error, short-message and close events mixed in, and checks that the
// decoder consumes everything and stays inside its buffers.
//
// On the state the decoder leaves behind it also runs what a person could ask for next:
// the strip statistics, the statistic monitor's figures, the text "Copy Stats to Buffer"
// puts on the clipboard and the scan report, so their fixed buffers see whatever scans
// the decoder can be made to store. Each of these texts must come out whole, terminated
// and no longer than its buffer; a broken invariant stops the run with a trap.
//
// Input: one schedule byte, then the raw MIDI byte stream. The schedule seeds the choice
// of long-data event sizes (0 to 512 bytes), of the other events put between them and of
// the moments a poll tick runs the decoder.

#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "scanner/ScannerView.h"
#include "services/MidiServices.h"
#include "stats/ScanReport.h"
#include "stats/StripStats.h"
#include "stats/StripStatsMonitor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace {

class FuzzView : public ScannerView {
protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t) override { return id; }
    void PlatformKillTimer(uint32_t) override {}
    void InvalidateView() override {}
};

class Schedule {
public:
    explicit Schedule(uint8_t seed) : m_state(0x9E3779B9u ^ (seed * 0x01000193u)) {}
    uint32_t Next(uint32_t bound) {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % bound;
    }

private:
    uint32_t m_state;
};

void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

// A C string the program keeps in a fixed array must end inside it.
bool TerminatedWithin(const char* text, size_t bytes) {
    return std::memchr(text, '\0', bytes) != nullptr;
}

bool HasNoNul(const std::string& text) {
    return text.find('\0') == std::string::npos;
}

void CheckDecoderInvariants(const ScannerView& view) {
    const bool consumed = ByteReadCount.load() == ByteWriteCount.load() &&
                          EventReadCount.load() == EventWriteCount.load();
    const bool inBounds = FrameLength >= 0 && FrameLength <= kFrameBufferSize &&
                          TextLineLength >= 0 && TextLineLength < kTextLineSize &&
                          view.m_scanLength >= 0 && view.m_scanLength <= ScannerState::kValues;
    Check(consumed && inBounds);
    Check(TerminatedWithin(StagingLine, kStagingLineSize) &&
          TerminatedWithin(DiagLine, kDiagLineSize));
    Check(MessageLog.LogCount >= 0);
    const int32_t oldest = std::max(0, MessageLog.LogCount - MessageLogTable::kLines);
    for (int32_t n = oldest; n < MessageLog.LogCount; ++n) {
        Check(TerminatedWithin(MessageLog.Line(n), MessageLogTable::kLineBytes));
    }
}

// What the statistics must satisfy for any window of samples.
void CheckWorkArea(const ScannerView& view) {
    const StripStatsWorkArea& w = StripStatsWork;
    Check(w.N == std::clamp(view.m_scanLength, 0, StripStatsWorkArea::kMaxSensors));
    Check(w.S == std::clamp(view.m_scanCount, 0, StripStatsWorkArea::kMaxScans));
    Check(w.TotalSamples == w.N * w.S);

    int32_t histogramTotal = 0;
    for (const int32_t count : w.DeviationHist) {
        Check(count >= 0 && count <= w.TotalSamples);
        histogramTotal += count;
    }
    Check(histogramTotal == w.TotalSamples);
    Check(w.DeadOnCount() + w.PlusOneCount() + w.MinusOneCount() + w.PlusTwoCount() +
              w.MinusTwoCount() + w.ThreeOrMoreCount() ==
          w.TotalSamples);

    for (int i = 0; i < w.N; ++i) {
        Check(w.SensorMin[i] <= w.SensorMeanByte[i] && w.SensorMeanByte[i] <= w.SensorMax[i]);
    }
    Check(w.MaxSwing >= 0 && w.MaxSwing <= 255);
    Check(w.MaxPosDeviation >= 0 && w.MaxPosDeviation <= w.MaxSwing);
    Check(w.MaxNegDeviation >= 0 && w.MaxNegDeviation <= w.MaxSwing);
    Check(std::isfinite(w.AvgDeviation) && w.AvgDeviation >= 0.0f);
    Check(w.MeanAll >= 0.0f && w.MeanAll <= 255.0f);
}

// The dialog's fields are formatted into a 256-byte buffer and must come out whole.
void CheckMonitorTexts(const StripStatsMonitor& monitor) {
    const StripStatsWorkArea& w = StripStatsWork;
    Check(std::atoi(monitor.m_numScans.c_str()) == w.S);
    Check(monitor.m_meanAll == static_cast<int>(w.MeanAll));
    const auto fields = monitor.LabelledFields();
    Check(fields.size() == 10);
    for (const auto& [label, text] : fields) {
        Check(!text.empty() && text.size() < 256 && HasNoNul(text));
    }
}

// "item%4d: " before each histogram line and CR LF after it; a histogram line is
// " %3d %5d", 10 characters, 11 for the deviations -100 to -128 (no count can reach
// six digits: a window holds at most 88 x 256 samples).
void CheckClipboardText(const StripStatsMonitor& monitor, const std::string& text) {
    const auto& lines = monitor.HistogramLines();
    Check(lines.size() == 256); // one press on a new monitor
    size_t expected = 0;
    for (size_t k = 0; k < lines.size(); ++k) {
        const size_t wanted = k >= 128 && k <= 156 ? 11 : 10; // k from 128 on is k - 256
        Check(lines[k].size() == wanted);
        expected += 10 + lines[k].size() + 2;
    }
    Check(text.size() == expected && HasNoNul(text));
    Check(text.empty() || (text[text.size() - 2] == '\r' && text.back() == '\n'));
}

// The report is one line per sensor between the six summary lines and the four
// histogram lines; a piece cut short in its buffer would lose a line feed.
void CheckScanReport(const ScannerView& view, const std::string& text) {
    Check(HasNoNul(text) && !text.empty() && text.front() == '\n' && text.back() == '\n');
    if (view.m_scanCount == 0) {
        constexpr std::string_view kFirstLine = "\nthe scanner report is not available\n";
        Check(text.compare(0, kFirstLine.size(), kFirstLine) == 0);
        return;
    }
    const StripStatsWorkArea& w = StripStatsWork;
    int32_t lineCount = 0;
    size_t start = 1;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const bool sensorLine = lineCount >= 6 && lineCount < 6 + w.N;
        if (sensorLine) {
            Check(text.compare(start, 9, "Tessel # ") == 0 &&
                  end - start >= 9 + 4 * static_cast<size_t>(w.S));
        } else if (lineCount >= 6 + w.N) {
            // The histogram's line buffer holds 399 characters.
            Check(end - start < 399);
        }
        ++lineCount;
    }
    Check(start == text.size() && lineCount == 6 + w.N + 4);
}

// One decoder pass, as a poll tick makes it, then what a person could ask for next.
// The statistics and the monitor's figures follow every pass that stored a scan. The
// clipboard text and the report format a piece per histogram line and per sample, which
// costs more than the decoding; they follow the last pass only, since the state after an
// earlier pass is the last state of a shorter input, which the fuzzer tries as well.
class Pass {
public:
    explicit Pass(ScannerView& view) : m_view(view), m_monitor(&view) {}

    void Run(bool last = false) {
        m_view.ProcessMidiInput();
        CheckDecoderInvariants(m_view);
        if (m_view.m_scanCount != m_checkedScanCount) {
            m_checkedScanCount = m_view.m_scanCount;
            m_monitor.ComputeStatistics();
            CheckWorkArea(m_view);
            CheckMonitorTexts(m_monitor);
        }
        if (!last) {
            return;
        }
        // Without a scan the histogram is all zeros and the clipboard text always the same.
        if (m_view.m_scanCount != 0) {
            CheckClipboardText(m_monitor, m_monitor.CopyStats());
        }
        CheckScanReport(m_view, BuildScanReport());
        CheckDecoderInvariants(m_view); // the report drains the input once more
    }

private:
    ScannerView& m_view;
    StripStatsMonitor m_monitor; // names the view to StripStats and the report
    int32_t m_checkedScanCount = -1;
};

void Record(Pass& pass, uint32_t kind, const uint8_t* bytes, uint32_t count) {
    const CallbackEvent event{0, count, kind, 0, 0};
    if (!RecordInputEvent(event, bytes, count)) {
        pass.Run(); // a tick makes room, as it would for the callback
        if (!RecordInputEvent(event, bytes, count)) {
            __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    ResetInputRings();
    ResetSysexDecoder();
    MessageLog.Clear();
    // A fresh view each time, in the same memory: a new 70 KB allocation per run costs
    // more in page faults than the decoder does.
    alignas(FuzzView) static unsigned char viewMemory[sizeof(FuzzView)];
    auto* view = new (viewMemory) FuzzView();
    struct Destroy {
        FuzzView* view;
        ~Destroy() { view->~FuzzView(); }
    } destroy{view};
    Pass pass(*view);

    Schedule schedule(data[0]);
    const uint8_t* bytes = data + 1;
    size_t left = size - 1;
    while (left > 0) {
        switch (schedule.Next(8)) {
        case 0:
            Record(pass, kMimError, nullptr, 0);
            break;
        case 1:
            Record(pass, kMimData, nullptr, 0);
            break;
        case 2:
            InputClosing = 1;
            Record(pass, kMimLongData, nullptr, 0);
            break;
        case 3:
            pass.Run();
            break;
        default: {
            const size_t wanted = schedule.Next(513);
            const auto count = static_cast<uint32_t>(wanted < left ? wanted : left);
            Record(pass, kMimLongData, bytes, count);
            bytes += count;
            left -= count;
            break;
        }
        }
    }
    pass.Run(true);
    return 0;
}
