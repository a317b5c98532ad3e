#include "SysexFeed.h"
#include "decoder/SysexDecoderState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// The decoder on the main thread while a callback thread records into the rings.
namespace {

using SysexDecoder = SysexDecoderFixture;

TEST_F(SysexDecoder, BytesRecordedWhileTheDecoderRunsAreAllDecodedInOrder) {
    constexpr int kPackets = 3000;
    std::thread callback([] {
        for (int packet = 1; packet <= kPackets; ++packet) {
            const Bytes frame = ScanFrame(Bytes(122, static_cast<uint8_t>(packet)));
            const CallbackEvent event{0, static_cast<uint32_t>(frame.size()), kMimLongData, 0, 0};
            // A full ring refuses the event (and counts it lost); the test offers it again.
            while (!RecordInputEvent(event, frame.data(), static_cast<uint32_t>(frame.size()))) {
                std::this_thread::yield();
            }
        }
    });
    // The rings hold about 33 frames, so the two threads must take turns many times.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (view->m_scanCount < kPackets && std::chrono::steady_clock::now() < deadline) {
        view->ProcessMidiInput();
    }
    callback.join();

    EXPECT_EQ(view->m_scanCount, kPackets);
    EXPECT_EQ(Values(), [] {
        Bytes last(ScannerState::kValues, 0);
        std::fill_n(last.begin(), 122, static_cast<uint8_t>(kPackets));
        return last;
    }());
    Bytes newest(ScannerState::kHistoryScans);
    for (int c = 0; c < ScannerState::kHistoryScans; ++c) {
        const int packet = c + 1 + 256 * ((kPackets - 1 - c) / 256);
        newest[c] = static_cast<uint8_t>(packet);
    }
    EXPECT_EQ(HistoryRow(0), newest);
    EXPECT_EQ(NewLines(), std::vector<std::string>{});
}

} // namespace
