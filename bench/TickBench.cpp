#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "ports/MidiMessageKinds.h"
#include "render/ViewRendering.h"
#include "scanner/ScannerView.h"
#include "sim/Qz4Model.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <vector>

namespace {

constexpr double kPollPeriodSeconds = 0.120;

// The window's view without a window: a tick's repaint request is remembered and
// served by painting into an image, as the paint message after a tick does.
class BenchView : public ScannerView {
public:
    bool repaintRequested = false;

protected:
    uint32_t PlatformSetTimer(uint32_t id, uint32_t) override { return id; }
    void PlatformKillTimer(uint32_t) override {}
    void InvalidateView() override { repaintRequested = true; }
};

// One poll tick with the simulator's 122-value scan waiting in the rings: decode,
// send the next request (no output is open), then the paint it causes.
void BM_TickWithSimulatorScanAndItsPaint(benchmark::State& st) {
    MessageLog.Clear();
    ResetInputRings();
    BenchView view;
    view.m_stripLength = 127;
    Qz4Model model;
    const uint8_t request[] = {0xF0, 0x09, 0x2B, 0xF7};
    const std::vector<uint8_t> scan = model.Respond(request, sizeof request);
    const CallbackEvent event{0, static_cast<uint32_t>(scan.size()), kMimLongData, 0, 0};
    QImage image(1300, 640, QImage::Format_RGB32);

    for (auto _ : st) {
        RecordInputEvent(event, scan.data(), static_cast<uint32_t>(scan.size()));
        view.OnTimer(1);
        if (view.repaintRequested) {
            QPainter painter(&image);
            DrawScannerView(painter, image.rect(), view);
            view.repaintRequested = false;
        }
    }
    benchmark::DoNotOptimize(image.constBits());
    st.counters["scans"] = view.m_scanCount;
    // Seconds per tick as a percentage of the poll period.
    st.counters["period_pct"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * kPollPeriodSeconds / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TickWithSimulatorScanAndItsPaint)->Unit(benchmark::kMicrosecond);

} // namespace
