#pragma once

#include "picture/ViewCanvas.h"

#include <cstdint>

class MessageLogTable;
struct ScannerState;

constexpr Colorref kBlueBrush = 0x00FF0000;
constexpr Colorref kGreenBrush = 0x0000FF00;
constexpr Colorref kWhiteBrush = 0x00FFFFFF;
// A failing sensor's column: RGB 255 0 0.
constexpr Colorref kRedBrush = 0x000000FF;

constexpr int kLogSlots = 7;
constexpr int kLogSlotHeight = 14;
constexpr int kRawBaseline = 600;
constexpr int kColumnTop = 106;
constexpr int kColumnFoot = 372;

// How far the picture can reach: the right edge of the widest strip's normalised column
// (127 sensors), and the lowest normalised marker (a value far above a narrow range wraps
// to 256 pixels below the column's foot). A window this large shows every pixel.
constexpr int kPictureWidth = 10 + 10 * 127 + 8 + 1;
constexpr int kPictureHeight = kColumnFoot + 256 + 1;

// Height of a sensor's marker above the foot of its column: the value mapped from the
// calibration range onto 256 pixels, or the raw value while the range is empty.
int16_t NormalisedHeight(uint8_t value, uint8_t low, uint8_t high);

// The whole picture of the view: the newest log lines, the raw row with its calibration
// marks and the normalised row, for the first m_stripLength sensors. The column of each
// sensor in m_failingSensors is filled red instead of white: the same drawing calls with
// another brush, so a flag coming or going repaints its column alone.
void PaintScannerView(const ScannerState& state, const MessageLogTable& log, ViewCanvas& canvas);
