#pragma once

#include "scanner/ScannerView.h"
#include "stats/StripStats.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Stores a scan in the history the way the decoder does: into column m_scanCount
// modulo 256, then counts it.
inline void ReceiveScan(ScannerView& view, const std::vector<uint8_t>& values) {
    const int column = view.m_scanCount % ScannerState::kHistoryScans;
    for (size_t i = 0; i < values.size() && i < ScannerState::kHistorySensors; ++i) {
        view.m_history[i][column] = values[i];
    }
    view.m_scanLength = static_cast<int32_t>(values.size());
    ++view.m_scanCount;
}

// One scan per sample, each scan carrying one value.
inline void ReceiveOneSensorScans(ScannerView& view, std::initializer_list<int> samples) {
    for (int sample : samples) {
        ReceiveScan(view, {static_cast<uint8_t>(sample)});
    }
}

// `scans` scans of `sensors` values each; sensor i of scan j reads value(i, j).
template <typename Value>
void ReceiveScans(ScannerView& view, int sensors, int scans, Value value) {
    std::vector<uint8_t> values(static_cast<size_t>(sensors));
    for (int j = 0; j < scans; ++j) {
        for (int i = 0; i < sensors; ++i) {
            values[static_cast<size_t>(i)] = static_cast<uint8_t>(value(i, j));
        }
        ReceiveScan(view, values);
    }
}
