#include "cli/Commands.h"
#include "cli/HeadlessView.h"
#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "render/ViewPicture.h"
#include "sim/Qz4Model.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// The bytes a QZ4 sends in `scans` polls: setup text, setup information, then scans.
std::string Capture(int scans) {
    Qz4Model model;
    std::string bytes;
    const auto add = [&](std::initializer_list<uint8_t> request) {
        const std::vector<uint8_t> reply = model.Respond(request.begin(), request.size());
        bytes.append(reply.begin(), reply.end());
    };
    add({0xF0, 0x09, 0x44, 0x00, 0x00, 0xF7});
    add({0xF0, 0x09, 0x2A, 0xF7});
    for (int n = 0; n < scans; ++n) {
        add({0xF0, 0x09, 0x2B, 0xF7});
    }
    return bytes;
}

std::unique_ptr<HeadlessView> FreshView() {
    MessageLog.Clear();
    ResetInputRings();
    ResetSysexDecoder();
    return std::make_unique<HeadlessView>(std::chrono::milliseconds(120));
}

// `decode` of an hour's capture: 30000 polls 120 ms apart, 122 values each.
void BM_DecodeOneHourCapture(benchmark::State& st) {
    const std::string capture = Capture(30000);
    for (auto _ : st) {
        st.PauseTiming();
        std::unique_ptr<HeadlessView> view = FreshView();
        view->OnGetSetupInformation();
        st.ResumeTiming();
        FeedReceivedBytes(*view, capture);
        benchmark::DoNotOptimize(view->m_scanCount);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * capture.size()));
}
BENCHMARK(BM_DecodeOneHourCapture)->Unit(benchmark::kMillisecond);

// `--png` at the default size after 300 scans: the picture painted and encoded.
void BM_ViewPictureAsPng(benchmark::State& st) {
    std::unique_ptr<HeadlessView> view = FreshView();
    view->OnGetSetupInformation();
    FeedReceivedBytes(*view, Capture(300));
    std::string png;
    std::string error;
    for (auto _ : st) {
        RenderViewPng(*view, 1300, 640, &png, &error);
        benchmark::DoNotOptimize(png.data());
    }
    st.counters["png_bytes"] = static_cast<double>(png.size());
}
BENCHMARK(BM_ViewPictureAsPng)->Unit(benchmark::kMillisecond);

} // namespace
