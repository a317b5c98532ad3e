#pragma once

class ScannerView;

// The strip statistic monitor's state and behaviour without a window. The view
// creates one for its whole life.
class StripStatsMonitor {
public:
    explicit StripStatsMonitor(ScannerView* view);
    virtual ~StripStatsMonitor() = default;
};
