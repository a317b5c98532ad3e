#pragma once

#include "cli/CliArguments.h"
#include "cli/ExitStatus.h"

#include <optional>
#include <string>
#include <vector>

class ByteCapture;
class HeadlessView;
class LogCollector;

// What a session produces once its work is done.
struct OutputRequest {
    OutputOptions output;
    LimitOptions limits;
    std::string capturePath; // written from `capture` when not empty
    const ByteCapture* capture = nullptr;
};

// Whether every file the request names can be written; says why on standard error
// when one can't.
bool OutputFilesWritable(const OutputRequest& request);

// Computes the statistics once, then produces, in this order: the log lines, the
// state, the figures and the histogram text (or the JSON document in their place), the
// report, the picture, the sensor chart, the JSON document and the capture; last, a line on
// standard error for each figure above its limit, strip-wide and then sensor by sensor. Returns
// File when a file could not be written, else LimitExceeded when a figure is above its
// limit.
ExitStatus ProduceOutput(HeadlessView& view, LogCollector& log, const OutputRequest& request);

// Empty when every output has a file of its own and none is one of `inputs`; else a
// usage error that names the clash (two outputs found to be one file by device and
// inode, or by where they would be made while they don't exist yet; "-" among the
// inputs is standard input's file). Character devices such as /dev/null may take any
// number of outputs.
std::string OutputPathConflict(const OutputRequest& request,
                               const std::vector<std::string>& inputs);

// The rest of the log (its newest line), for a session that ends early.
void PrintLog(LogCollector& log);
