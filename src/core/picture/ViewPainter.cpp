#include "picture/ViewPainter.h"

#include "log/MessageLog.h"
#include "scanner/ScannerState.h"

#include <cstdint>
#include <cstring>

// A signed byte of sensors never reaches past the per-sensor arrays.
static_assert(INT8_MAX < ScannerState::kValues);

namespace {

int SensorLeft(int sensor) {
    return 10 + 10 * sensor;
}

void PaintLogBand(const MessageLogTable& log, ViewCanvas& canvas) {
    for (int slot = 0; slot < kLogSlots; ++slot) {
        const int32_t n = log.LogCount - kLogSlots + slot;
        if (n >= 0) {
            const char* text = log.Line(n);
            canvas.TextOut(0, kLogSlotHeight * slot, text,
                           static_cast<int>(strnlen(text, MessageLogTable::kLineBytes)));
        }
    }
}

void PaintRawRow(const ScannerState& state, ViewCanvas& canvas) {
    for (int i = 0; i < state.m_stripLength; ++i) {
        const int x = SensorLeft(i);
        const int v = state.m_values[i];
        const int lo = state.m_calibLow[i];
        const int hi = state.m_calibHigh[i];
        canvas.SelectBrush(kWhiteBrush);
        canvas.Rectangle({x, kRawBaseline, x + 5, kRawBaseline - v});
        canvas.SelectBrush(kGreenBrush);
        canvas.Rectangle({x, kRawBaseline - 5 - hi, x + 5, kRawBaseline - hi});
        // The low mark goes last so that it covers the high mark where they meet.
        canvas.SelectBrush(kBlueBrush);
        canvas.Rectangle({x, kRawBaseline - 5 - lo, x + 5, kRawBaseline - lo});
    }
}

void PaintNormalisedRow(const ScannerState& state, ViewCanvas& canvas) {
    for (int i = 0; i < state.m_stripLength; ++i) {
        const int x = SensorLeft(i);
        const int s =
            NormalisedHeight(state.m_values[i], state.m_calibLow[i], state.m_calibHigh[i]);
        canvas.SelectBrush(state.m_failingSensors[static_cast<size_t>(i)] ? kRedBrush
                                                                          : kWhiteBrush);
        canvas.Rectangle({x, kColumnTop, x + 8, kColumnFoot});
        canvas.SelectBrush(kGreenBrush);
        canvas.Rectangle({x, kColumnFoot - 6 - s, x + 8, kColumnFoot - s});
    }
}

} // namespace

int16_t NormalisedHeight(uint8_t value, uint8_t low, uint8_t high) {
    if (low >= high) {
        return value;
    }
    // The quotient reaches 65280 and keeps only its low 16 bits, read as signed: a value
    // far above a narrow range lands below the column's foot.
    const int quotient = ((value - low) * 256) / (high - low);
    return static_cast<int16_t>(quotient);
}

void PaintScannerView(const ScannerState& state, const MessageLogTable& log, ViewCanvas& canvas) {
    canvas.FillBackground();
    PaintLogBand(log, canvas);
    PaintRawRow(state, canvas);
    PaintNormalisedRow(state, canvas);
}
