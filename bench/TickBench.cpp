#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "render/ShownPicture.h"
#include "render/ViewRendering.h"
#include "scanner/ScannerView.h"
#include "services/MidiServices.h"
#include "sim/Qz4Model.h"

#include <benchmark/benchmark.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>

#include <cstdint>
#include <vector>

namespace {

constexpr double kPollPeriodSeconds = 0.120;
constexpr uint8_t kScanRequest[] = {0xF0, 0x09, 0x2B, 0xF7};

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

// The view at its busiest strip, with an empty Message log and empty input rings.
void PrepareLongestStrip(BenchView& view) {
    MessageLog.Clear();
    ResetInputRings();
    view.m_stripLength = 127;
}

// One poll tick with the simulator's 122-value scan waiting in the rings: decode,
// send the next request (no output is open), then the paint it causes.
void BM_TickWithSimulatorScanAndItsPaint(benchmark::State& st) {
    BenchView view;
    PrepareLongestStrip(view);
    Qz4Model model;
    const std::vector<uint8_t> scan = model.Respond(kScanRequest, sizeof kScanRequest);
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

// One poll tick as the window makes it: the next of the simulator's scans (noise on a few
// sensors, now and then a key) is decoded, the parts of the picture it changed are found
// and only those are repainted, into a 32-bit image as the window's backing store.
void BM_TickWithSimulatorScanAndItsRepaint(benchmark::State& st) {
    BenchView view;
    PrepareLongestStrip(view);
    Qz4Model model;
    std::vector<std::vector<uint8_t>> scans;
    for (int i = 0; i < 256; ++i) {
        scans.push_back(model.Respond(kScanRequest, sizeof kScanRequest));
    }
    QImage image(1300, 640, QImage::Format_ARGB32_Premultiplied);
    ShownPicture shown;
    const int textHeight = QFontMetrics(QFont()).height();
    {
        QPainter painter(&image);
        DrawPictureRecord(painter, shown.Update(view, image.rect(), textHeight), shown.Picture());
    }

    size_t next = 0;
    int64_t repaintedPixels = 0;
    for (auto _ : st) {
        const std::vector<uint8_t>& scan = scans[next++ % scans.size()];
        const CallbackEvent event{0, static_cast<uint32_t>(scan.size()), kMimLongData, 0, 0};
        RecordInputEvent(event, scan.data(), static_cast<uint32_t>(scan.size()));
        view.OnTimer(1);
        const QRegion changed = shown.Update(view, image.rect(), textHeight);
        QPainter painter(&image);
        DrawPictureRecord(painter, changed, shown.Picture());
        for (const QRect& r : changed) {
            repaintedPixels += static_cast<int64_t>(r.width()) * r.height();
        }
    }
    benchmark::DoNotOptimize(image.constBits());
    st.counters["scans"] = view.m_scanCount;
    st.counters["repainted_pct"] =
        100.0 * static_cast<double>(repaintedPixels) /
        (static_cast<double>(st.iterations()) * image.width() * image.height());
    st.counters["period_pct"] =
        benchmark::Counter(static_cast<double>(st.iterations()) * kPollPeriodSeconds / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TickWithSimulatorScanAndItsRepaint)->Unit(benchmark::kMicrosecond);

} // namespace
