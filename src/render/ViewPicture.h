#pragma once

#include <string>

struct LimitOptions;
struct StripStatsWorkArea;

struct ScannerState;

// The view's picture as OnDraw paints it, encoded as PNG. Qt's GUI support is started
// for it, off-screen unless QT_QPA_PLATFORM names another platform, so no display is
// needed. False with `error` set when the picture can't be made.
bool RenderViewPng(const ScannerState& state, int width, int height, std::string* png,
                   std::string* error);

// The sensor chart of the statistics in `stats` against `limits`, encoded as PNG, made
// the same way.
bool RenderSensorChartPng(const StripStatsWorkArea& stats, const LimitOptions& limits, int width,
                          int height, std::string* png, std::string* error);
