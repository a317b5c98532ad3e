#pragma once

class ScannerView;

// The one view, as recorded by the statistic monitor's constructor; the monitor's
// handlers and the scan report reach the Scanner state through it.
extern ScannerView* StatsView;
