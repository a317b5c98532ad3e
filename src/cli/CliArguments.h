#pragma once

#include "sim/SimulatorOptions.h"
#include "stats/LimitVerdict.h"

#include <optional>
#include <string>
#include <vector>

enum class CliCommand { None, Ports, Decode, Scan };

// What is produced after the work, in the order it is produced.
struct OutputOptions {
    static constexpr int kDefaultWidth = 1300;
    static constexpr int kDefaultHeight = 640;

    bool state = false;
    bool stats = false;
    bool histogram = false;
    std::string reportPath; // empty: no report
    std::string pngPath;    // empty: no picture
    std::string chartPath;  // empty: no sensor chart
    std::string jsonPath;   // empty: no document; "-": on standard output, for the texts
    int pngWidth = kDefaultWidth;
    int pngHeight = kDefaultHeight;
};

struct ScanOptions {
    std::string inDevice; // empty: the QZ4 Simulator
    std::string outDevice;
    int ticks = 300;
    int periodMs = 120;
    std::string capturePath; // empty: no capture
    SimulatorOptions simulator;
};

struct CliArguments {
    CliCommand command = CliCommand::None;
    bool help = false;    // the help of `command`, or of the program when None
    bool version = false; // the program's version
    OutputOptions output;
    LimitOptions limits;
    bool setup = false;
    std::vector<std::string> files; // decode's inputs
    ScanOptions scan;
};

struct ParsedArguments {
    CliArguments arguments;
    std::string error; // not empty: bad usage; the text names the bad argument
};

// `args` without the program name.
ParsedArguments ParseCliArguments(const std::vector<std::string>& args);

const char* CommandName(CliCommand command);

// The help lines of a command's options, made from the table the parser reads: the
// options that choose outputs, or the others.
std::string OptionHelp(CliCommand command, bool outputOptions);
