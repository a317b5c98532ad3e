#pragma once

#include "view/ViewCanvas.h"

#include <cstdint>

class MessageLogTable;
struct ScannerState;

constexpr Colorref kBlueBrush = 0x00FF0000;
constexpr Colorref kGreenBrush = 0x0000FF00;
constexpr Colorref kWhiteBrush = 0x00FFFFFF;

constexpr int kLogSlots = 7;
constexpr int kLogSlotHeight = 14;
constexpr int kRawBaseline = 600;
constexpr int kColumnTop = 106;
constexpr int kColumnFoot = 372;

// Height of a sensor's marker above the foot of its column: the value mapped from the
// calibration range onto 256 pixels, or the raw value while the range is empty.
int16_t NormalisedHeight(uint8_t value, uint8_t low, uint8_t high);

// The whole picture of the view: the newest log lines, the raw row with its calibration
// marks and the normalised row, for the first m_stripLength sensors.
void PaintScannerView(const ScannerState& state, const MessageLogTable& log, ViewCanvas& canvas);
