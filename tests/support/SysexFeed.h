#pragma once

#include "ProcessStateGuard.h"
#include "TestView.h"
#include "log/MessageLog.h"
#include "ports/InputRings.h"
#include "services/MidiServices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kCallbackBufferBytes = 512;

// Hands bytes to the rings as the input callback does: long-data events of at most 512
// bytes each. When the rings are full, the view decodes what is there first, as the
// next tick would.
inline void RecordLongData(ScannerView& view, const Bytes& bytes) {
    for (size_t at = 0; at < bytes.size(); at += kCallbackBufferBytes) {
        const auto count =
            static_cast<uint32_t>(std::min<size_t>(kCallbackBufferBytes, bytes.size() - at));
        const CallbackEvent event{0, count, kMimLongData, 0, 0};
        if (!RecordInputEvent(event, bytes.data() + at, count)) {
            view.ProcessMidiInput();
            ASSERT_TRUE(RecordInputEvent(event, bytes.data() + at, count));
        }
    }
}

inline void RecordEvent(uint32_t kind) {
    ASSERT_TRUE(RecordInputEvent(CallbackEvent{0, 0, kind, 0, 0}, nullptr, 0));
}

// Records the bytes and runs the decoder once more, as a tick after them would.
inline void Deliver(ScannerView& view, const Bytes& bytes) {
    RecordLongData(view, bytes);
    view.ProcessMidiInput();
}

inline Bytes Frame(uint8_t command, const Bytes& payload) {
    Bytes frame(payload.size() + 4);
    frame[0] = 0xF0;
    frame[1] = 0x09;
    frame[2] = command;
    std::copy(payload.begin(), payload.end(), frame.begin() + 3);
    frame.back() = 0xF7;
    return frame;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// One text-character frame per character.
inline Bytes TextFrames(const std::string& text) {
    Bytes frames;
    for (char c : text) {
        const Bytes frame = Frame(0x10, {static_cast<uint8_t>(c)});
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    return frames;
}

// Scan values travel high nibble first.
inline Bytes ScanFrame(const Bytes& values) {
    Bytes payload;
    for (uint8_t v : values) {
        payload.push_back(static_cast<uint8_t>(v >> 4));
        payload.push_back(static_cast<uint8_t>(v & 0x0F));
    }
    return Frame(0x15, payload);
}

// Nine unread bytes, then each word low nibble first.
inline Bytes SetupInformationFrame(const std::vector<int>& words) {
    Bytes payload(9, 0x00);
    for (int w : words) {
        payload.push_back(static_cast<uint8_t>(w & 0x0F));
        payload.push_back(static_cast<uint8_t>((w >> 4) & 0x0F));
    }
    return Frame(0x30, payload);
}

// Fresh process state and a new view; lines are counted from behind its welcome.
class SysexDecoderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        view = std::make_unique<TestView>();
        firstLine = MessageLog.LogCount;
    }

    std::vector<std::string> NewLines() const {
        std::vector<std::string> lines;
        for (int32_t n = firstLine; n < MessageLog.LogCount; ++n) {
            lines.emplace_back(MessageLog.Line(n));
        }
        return lines;
    }

    // The 140 values: these first, the rest 0.
    static Bytes ValuesStartingWith(const Bytes& first) {
        Bytes values(ScannerState::kValues, 0);
        std::copy(first.begin(), first.end(), values.begin());
        return values;
    }
    Bytes Values() const { return Bytes(std::begin(view->m_values), std::end(view->m_values)); }
    Bytes HistoryRow(int sensor) const {
        return Bytes(std::begin(view->m_history[sensor]), std::end(view->m_history[sensor]));
    }

    std::unique_ptr<TestView> view;
    int32_t firstLine = 0;
    ProcessStateGuard state; // made before SetUp makes the view, gone before it goes
};
