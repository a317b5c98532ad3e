#include "BenchView.h"
#include "scanner/ScannerView.h"
#include "stats/ScanReport.h"
#include "stats/StripStats.h"
#include "stats/StripStatsMonitor.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A view whose history holds 256 scans of 88 noisy values: the largest window.
std::unique_ptr<BenchView> FullWindowView() {
    auto view = std::make_unique<BenchView>();
    uint32_t noise = 12345;
    for (int j = 0; j < 256; ++j) {
        for (int i = 0; i < 88; ++i) {
            noise = noise * 1103515245u + 12345u;
            view->m_history[i][j] = static_cast<uint8_t>(100 + i + (noise >> 16) % 7);
        }
    }
    view->m_scanLength = 88;
    view->m_scanCount = 256;
    return view;
}

void BM_StripStatsFullWindow(benchmark::State& state) {
    auto view = FullWindowView();
    StripStatsMonitor monitor(view.get());
    for (auto _ : state) {
        StripStats();
        benchmark::DoNotOptimize(StripStatsWork.AvgDeviation);
    }
}
BENCHMARK(BM_StripStatsFullWindow);

void BM_BuildScanReportFullWindow(benchmark::State& state) {
    auto view = FullWindowView();
    StripStatsMonitor monitor(view.get());
    for (auto _ : state) {
        std::string text = BuildScanReport();
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_BuildScanReportFullWindow);

} // namespace
