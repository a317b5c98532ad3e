#include "log/MessageLog.h"
#include "render/ViewRendering.h"
#include "scanner/ScannerState.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// One paint as the view does it at the poll rate, at its busiest: a full log band and
// the longest strip, with values and bounds spread over the whole range. The argument is
// the device pixel ratio: 2 is a high-density screen, with four device pixels to each
// logical one.
void BM_FullPaintOf127SensorsAndSevenLogLines(benchmark::State& st) {
    MessageLog.Clear();
    ScannerState state; // six welcome lines
    MessageLog.AppendText("EEPROM POKE Request address 00100 length 0004  1  2  3  4");
    state.m_stripLength = 127;
    for (int i = 0; i < ScannerState::kValues; ++i) {
        state.m_values[i] = static_cast<uint8_t>((i * 37) % 256);
        state.m_calibLow[i] = static_cast<uint8_t>(20 + i % 30);
        state.m_calibHigh[i] = static_cast<uint8_t>(180 + i % 60);
    }
    const int ratio = static_cast<int>(st.range(0));
    const QRect picture(0, 0, 1300, 640);
    QImage image(picture.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);

    std::vector<double> micros;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        {
            QPainter painter(&image);
            DrawScannerView(painter, picture, state);
        }
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    benchmark::DoNotOptimize(image.constBits());

    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        return micros[static_cast<size_t>(q * static_cast<double>(micros.size() - 1))];
    };
    st.counters["median_us"] = at(0.5);
    st.counters["p99_us"] = at(0.99);
}
BENCHMARK(BM_FullPaintOf127SensorsAndSevenLogLines)
    ->ArgName("dpr")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

} // namespace
