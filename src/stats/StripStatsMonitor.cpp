#include "stats/StripStatsMonitor.h"

#include "stats/StatsView.h"

StripStatsMonitor::StripStatsMonitor(ScannerView* view) {
    StatsView = view;
}
