#include "decoder/SysexDecoderStages.h"
#include "decoder/SysexDecoderState.h"
#include "log/MessageLog.h"

#include <cstring>

namespace {

constexpr int32_t kSetupTextMax = 126;
constexpr int32_t kSetupWordsOffset = 12;   // positions 3 to 11 are not read
constexpr int32_t kCalibHighFirstWord = 12; // upper bounds start at this word
constexpr int32_t kCalibLowAfterHigh = 56;  // lower bounds start at word N + 56

uint8_t ScanValue(int32_t position) {
    // Scan values are the one format that puts the high nibble first.
    return static_cast<uint8_t>(((FrameBuffer[position] & 0x0F) << 4) |
                                (FrameBuffer[position + 1] & 0x0F));
}

int32_t SetupWord(int32_t position) {
    return ((FrameBuffer[position + 1] & 0x0F) << 4) | (FrameBuffer[position] & 0x0F);
}

void CopyCalibration(ScannerState& state) {
    const int32_t n = state.m_calibCount;
    for (int32_t j = 0; j < n && j < ScannerState::kValues; ++j) {
        const int32_t lowWord = n + kCalibLowAfterHigh + j;
        if (lowWord >= ScannerState::kSetupWords) {
            break;
        }
        state.m_calibLow[j] = static_cast<uint8_t>(state.m_setupWords[lowWord] & 0xFF);
        state.m_calibHigh[j] =
            static_cast<uint8_t>(state.m_setupWords[kCalibHighFirstWord + j] & 0xFF);
    }
}

} // namespace

void AddTextCharacter(uint8_t character) {
    if (character == '\n') {
        // Lines are C strings: a NUL received within the line ends it there.
        TextLine[TextLineLength] = '\0';
        MessageLog.AppendText(TextLine);
        TextLine[0] = '\0';
        TextLineLength = 0;
        return;
    }
    // The last place stays free for the terminator; characters past it are dropped
    // until the line feed.
    if (TextLineLength < kTextLineSize - 1) {
        TextLine[TextLineLength] = static_cast<char>(character);
        ++TextLineLength;
    }
}

void StoreSetupText(ScannerState& state, int32_t length) {
    int32_t count = length - 3;
    if (count < 0) {
        count = 0;
    }
    if (count > kSetupTextMax) {
        count = kSetupTextMax;
    }
    std::memcpy(StagingLine, FrameBuffer + 3, static_cast<size_t>(count));
    StagingLine[count] = '\n';
    StagingLine[count + 1] = '\0';
    state.m_setupTextPending = 0;
}

void StoreScanData(ScannerState& state, int32_t length) {
    const int32_t column = state.m_scanCount & 0xFF;
    int32_t i = 0;
    for (; i < ScannerState::kValues && 3 + 2 * i < length; ++i) {
        // An odd payload takes the F7 as the low nibble of its last value.
        const uint8_t value = ScanValue(3 + 2 * i);
        state.m_values[i] = value;
        state.m_history[i][column] = value;
    }
    state.m_scanLength = i;
    state.m_scanCount = static_cast<int32_t>(static_cast<uint32_t>(state.m_scanCount) + 1u);
}

void StoreSetupInformation(ScannerState& state, int32_t length) {
    for (int32_t w = 0; w < ScannerState::kSetupWords && kSetupWordsOffset + 2 * w < length; ++w) {
        state.m_setupWords[w] = SetupWord(kSetupWordsOffset + 2 * w);
    }
    // Only the first packet after the setup text of a Get Setup Information copies.
    if (state.m_setupRequested == 0 || state.m_setupTextPending == 1) {
        return;
    }
    state.m_setupRequested = 0;
    if (state.m_useSetupCalib == 0 || state.m_calibCount <= 0) {
        return;
    }
    CopyCalibration(state);
}
