#include "stats/StatsView.h"

ScannerView* StatsView = nullptr;
