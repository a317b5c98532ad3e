#pragma once

#include <string>

// The scan report that File Save writes: the latest scans of the view that
// StatsView names, or the instructions for collecting one when none has arrived.
// Drains the received input first.
std::string BuildScanReport();
