#include "SysexFeed.h"
#include "decoder/SysexFraming.h"

namespace {

void Collect(void* context, const uint8_t* bytes, size_t count) {
    static_cast<Bytes*>(context)->insert(static_cast<Bytes*>(context)->end(), bytes, bytes + count);
}

class ConsumedBytes : public SysexDecoderFixture {
protected:
    void TearDown() override { SetConsumedBytesSink(nullptr, nullptr); }

    Bytes seen;
};

// Scan frames of 140 values: 284 bytes each, so the stream soon wraps the 8192-byte ring.
Bytes ScanFrames(int count) {
    Bytes frames;
    for (int n = 0; n < count; ++n) {
        const Bytes frame = ScanFrame(Bytes(ScannerState::kValues, static_cast<uint8_t>(n)));
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    return frames;
}

} // namespace

TEST_F(ConsumedBytes, SinkIsToldEveryByteInTheOrderTakenAcrossTheRingsEnd) {
    SetConsumedBytesSink(Collect, &seen);
    const Bytes first = ScanFrames(25); // 7100 bytes
    const Bytes second = Concat({ScanFrames(10), TextFrames("ok\n")});
    Deliver(*view, first);
    Deliver(*view, second);

    EXPECT_EQ(seen, Concat({first, second}));
    EXPECT_EQ(view->m_scanCount, 35);
    EXPECT_EQ(NewLines(), std::vector<std::string>{"ok"});
}

TEST_F(ConsumedBytes, SinkRemovedHearsNothingMore) {
    SetConsumedBytesSink(Collect, &seen);
    Deliver(*view, TextFrames("a\n"));
    SetConsumedBytesSink(nullptr, nullptr);
    Deliver(*view, TextFrames("b\n"));

    EXPECT_EQ(seen, TextFrames("a\n"));
    EXPECT_EQ(NewLines(), (std::vector<std::string>{"a", "b"}));
}
