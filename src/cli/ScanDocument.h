#pragma once

#include "cli/CliArguments.h"
#include "scanner/ScannerState.h"
#include "stats/SensorVerdicts.h"
#include "stats/StripStats.h"

#include <cstdint>
#include <string>
#include <vector>

// Everything a test rig reads of one session, from the same statistics run as the
// other outputs.
struct ScanFacts {
    const ScannerState* state = nullptr;
    const StripStatsWorkArea* stats = nullptr;
    uint32_t bytesLost = 0;
    uint32_t eventsLost = 0;
    const LimitOptions* limits = nullptr;
    std::vector<SensorFailure> failingSensors;
    bool stripFailed = false; // a strip-wide limit was exceeded
};

// The session as one JSON document ("wintesseltest-scan/1"), keys in a fixed order,
// each 32-bit float as the shortest decimal that reads back as the same float and each
// limit as the shortest that reads back as the same double, ending with a line feed.
std::string BuildScanDocument(const ScanFacts& facts);
