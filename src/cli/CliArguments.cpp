#include "cli/CliArguments.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool ParseWhole(const std::string& text, unsigned long long max, unsigned long long* value) {
    if (!AllDigits(text)) {
        return false;
    }
    errno = 0;
    *value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && *value <= max;
}

bool ParseInt(const std::string& text, int min, int max, int* value) {
    unsigned long long number = 0;
    if (!ParseWhole(text, static_cast<unsigned long long>(max), &number) ||
        number < static_cast<unsigned long long>(min)) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

constexpr int kMaxImageSide = 16384;

bool ParseSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find_first_of("xX");
    return x != std::string::npos && ParseInt(text.substr(0, x), 1, kMaxImageSide, width) &&
           ParseInt(text.substr(x + 1), 1, kMaxImageSide, height);
}

// One option of a command: a switch when `value` is null. `apply` returns false when
// the value is bad; `expected` then says what is wanted. `help` is the option's line in
// the command's help, continued on further lines after a line feed; `output` options
// are listed under the outputs.
struct OptionSpec {
    const char* name;
    const char* value;
    const char* expected;
    std::function<bool(CliArguments&, const std::string&)> apply;
    const char* help;
    bool output = false;
};

std::vector<OptionSpec> OutputOptionSpecs() {
    return {
        {"--state", nullptr, nullptr,
         [](CliArguments& a, const std::string&) { return a.output.state = true; },
         "scanCount, scanLength, stripLength, the 140 values, calibLow,\ncalibHigh and inputLost "
         "<bytes> <events>",
         true},
        {"--stats", nullptr, nullptr,
         [](CliArguments& a, const std::string&) { return a.output.stats = true; },
         "the ten figures of the strip statistic monitor", true},
        {"--histogram", nullptr, nullptr,
         [](CliArguments& a, const std::string&) { return a.output.histogram = true; },
         "the text 'Copy Stats to Buffer' puts on the clipboard (CR LF)", true},
        {"--report", "FILE", "a file name",
         [](CliArguments& a, const std::string& v) {
             a.output.reportPath = v;
             return !v.empty();
         },
         "write the scan report that File Save writes", true},
        {"--png", "FILE", "a file name",
         [](CliArguments& a, const std::string& v) {
             a.output.pngPath = v;
             return !v.empty();
         },
         "write the view's picture as PNG (no display needed)", true},
        {"--chart", "FILE", "a file name",
         [](CliArguments& a, const std::string& v) {
             a.output.chartPath = v;
             return !v.empty();
         },
         "write each sensor's RMS deviation and swing as bars, with the\nper-sensor limits as "
         "lines and failing sensors in red (PNG)",
         true},
        {"--json", "FILE", "a file name, or - for standard output",
         [](CliArguments& a, const std::string& v) {
             a.output.jsonPath = v;
             return !v.empty();
         },
         "write the state, the figures, each sensor's figures and the\nverdict as one JSON "
         "document; - writes it to standard output\nin place of the log, --state, --stats and "
         "--histogram",
         true},
        {"--size", "WxH", "a size like 1300x640, each side from 1 to 16384",
         [](CliArguments& a, const std::string& v) {
             return ParseSize(v, &a.output.pngWidth, &a.output.pngHeight);
         },
         "the size of the picture and the chart (default 1300x640)", true},
        {"--setup", nullptr, nullptr,
         [](CliArguments& a, const std::string&) { return a.setup = true; },
         "run Get Setup Information first, so that a setup-text packet\nfollowed by a "
         "setup-information packet copies the calibration"},
    };
}

std::vector<OptionSpec> ScanOptionSpecs() {
    std::vector<OptionSpec> specs = OutputOptionSpecs();
    const std::vector<OptionSpec> scan = {
        {"--in", "DEV", "a device index or a part of its name",
         [](CliArguments& a, const std::string& v) {
             a.scan.inDevice = v;
             return !v.empty();
         },
         "the input device: an index when all digits, otherwise a part\nof the name (any case) "
         "that matches exactly one device;\ndefault the QZ4 Simulator ('wintesseltest-cli ports' "
         "lists them)"},
        {"--out", "DEV", "a device index or a part of its name",
         [](CliArguments& a, const std::string& v) {
             a.scan.outDevice = v;
             return !v.empty();
         },
         "the output device, chosen the same way"},
        {"--ticks", "N", "a whole number from 0 to 2147483647",
         [](CliArguments& a, const std::string& v) {
             return ParseInt(v, 0, INT_MAX, &a.scan.ticks);
         },
         "poll timer ticks (default 300)"},
        {"--period", "MS", "a whole number of milliseconds from 1 to 60000",
         [](CliArguments& a, const std::string& v) {
             return ParseInt(v, 1, 60000, &a.scan.periodMs);
         },
         "poll period in milliseconds (default 120)"},
        {"--capture", "FILE", "a file name",
         [](CliArguments& a, const std::string& v) {
             a.scan.capturePath = v;
             return !v.empty();
         },
         "write every byte the decoder took, in order; 'decode FILE'\nrebuilds the same state and "
         "statistics from it"},
        {"--sim-sensors", "N", "a whole number from 0 to 1024",
         [](CliArguments& a, const std::string& v) {
             return ParseInt(v, 0, SimulatorOptions::kMaxSensors, &a.scan.simulator.sensors);
         },
         "values per scan of the QZ4 Simulator (default 122)"},
        {"--sim-seed", "S", "a whole number from 0 to 18446744073709551615",
         [](CliArguments& a, const std::string& v) {
             unsigned long long seed = 0;
             if (!ParseWhole(v, ULLONG_MAX, &seed)) {
                 return false;
             }
             a.scan.simulator.seed = seed;
             return true;
         },
         "the simulator's noise and key motion (default 1)"},
        {"--sim-fault", "FAULT", kSensorFaultSyntax,
         [](CliArguments& a, const std::string& v) {
             std::string error;
             const std::optional<SensorFault> fault = ParseSensorFault(v, &error);
             if (fault) {
                 a.scan.simulator.faults.push_back(*fault);
             }
             return fault.has_value();
         },
         "make the simulator's sensor I noisy (I:noisy:A adds a whole\nnumber from -A to A to "
         "every value) or stuck (I:stuck:V holds\nit at V); may be given again"},
        {"--sim-still", nullptr, nullptr,
         [](CliArguments& a, const std::string&) { return a.scan.simulator.still = true; },
         "keep the simulator's keys at rest: only its noise and faults\nmove the values"},
    };
    specs.insert(specs.end(), scan.begin(), scan.end());
    return specs;
}

// Limits are kept with the text the user wrote, which their messages quote.
std::function<bool(CliArguments&, const std::string&)>
RealLimit(std::optional<Limit<double>> LimitOptions::*slot) {
    return [slot](CliArguments& a, const std::string& v) {
        a.limits.*slot = ParseRealLimit(v);
        return (a.limits.*slot).has_value();
    };
}

std::function<bool(CliArguments&, const std::string&)>
WholeLimit(std::optional<Limit<int>> LimitOptions::*slot) {
    return [slot](CliArguments& a, const std::string& v) {
        a.limits.*slot = ParseWholeLimit(v);
        return (a.limits.*slot).has_value();
    };
}

std::vector<OptionSpec> LimitOptionSpecs() {
    return {
        {"--max-avg-deviation", "X", "a number from 0 up",
         RealLimit(&LimitOptions::maxAvgDeviation), "status 1 when Avg Deviation is above X"},
        {"--max-swing", "N", "a whole number from 0 to 255", WholeLimit(&LimitOptions::maxSwing),
         "status 1 when Max Deviation Swing is above N"},
        {"--max-sensor-rms", "X", "a number from 0 up", RealLimit(&LimitOptions::maxSensorRms),
         "status 1 when a sensor's RMS deviation is above X"},
        {"--max-sensor-swing", "N", "a whole number from 0 to 255",
         WholeLimit(&LimitOptions::maxSensorSwing),
         "status 1 when a sensor's swing (largest minus smallest\nsample) is above N (each figure "
         "above its limit, and each\nsensor's, gives a line on standard error)"},
    };
}

std::vector<OptionSpec> CommandOptionSpecs(CliCommand command) {
    std::vector<OptionSpec> specs;
    if (command == CliCommand::Decode) {
        specs = OutputOptionSpecs();
    } else if (command == CliCommand::Scan) {
        specs = ScanOptionSpecs();
    } else {
        return specs;
    }
    const std::vector<OptionSpec> limits = LimitOptionSpecs();
    specs.insert(specs.end(), limits.begin(), limits.end());
    return specs;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

// The arguments after the command name. --help anywhere before "--" asks for help.
void ParseCommandArguments(const std::vector<std::string>& args, size_t first,
                           ParsedArguments* parsed) {
    CliArguments& arguments = parsed->arguments;
    const char* command = CommandName(arguments.command);
    for (size_t i = first; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            arguments.help = true;
            return;
        }
    }

    const std::vector<OptionSpec> specs = CommandOptionSpecs(arguments.command);

    bool optionsEnded = false;
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            if (arguments.command != CliCommand::Decode) {
                parsed->error = std::string(command) + ": unexpected argument '" + arg + "'";
                return;
            }
            arguments.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : specs) {
            if (name == candidate.name) {
                option = &candidate;
            }
        }
        if (option == nullptr) {
            parsed->error = std::string(command) + ": unknown option '" + name + "'";
            return;
        }
        std::string value;
        if (option->value == nullptr) {
            if (equals != std::string::npos) {
                parsed->error = std::string(command) + ": option '" + name + "' takes no value";
                return;
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parsed->error = std::string(command) + ": option '" + name + "' needs a value (" +
                            option->value + ")";
            return;
        }
        if (!option->apply(arguments, value)) {
            parsed->error = std::string(command) + ": bad value '" + value + "' for '" + name +
                            "': expected " + option->expected;
            return;
        }
    }
    if (arguments.command == CliCommand::Decode && arguments.files.empty()) {
        parsed->error = "decode: missing FILE (one or more .syx files to decode)";
    }
}

} // namespace

std::string OptionHelp(CliCommand command, bool outputOptions) {
    constexpr size_t kLabelWidth = 17;
    const std::string indent(2 + kLabelWidth + 1, ' ');
    const std::vector<OptionSpec> specs = CommandOptionSpecs(command);
    std::string text;
    for (const OptionSpec& option : specs) {
        if (option.output != outputOptions) {
            continue;
        }
        std::string label = option.name;
        if (option.value != nullptr) {
            label += std::string(" ") + option.value;
        }
        label.resize(std::max(label.size() + 2, kLabelWidth + 1), ' ');
        text += "  " + label;
        const std::string help = option.help;
        size_t start = 0;
        for (size_t end = help.find('\n'); end != std::string::npos; end = help.find('\n', start)) {
            text += help.substr(start, end - start) + "\n" + indent;
            start = end + 1;
        }
        text += help.substr(start) + "\n";
    }
    return text;
}

const char* CommandName(CliCommand command) {
    switch (command) {
    case CliCommand::Ports:
        return "ports";
    case CliCommand::Decode:
        return "decode";
    case CliCommand::Scan:
        return "scan";
    case CliCommand::None:
        break;
    }
    return "wintesseltest-cli";
}

ParsedArguments ParseCliArguments(const std::vector<std::string>& args) {
    ParsedArguments parsed;
    CliArguments& arguments = parsed.arguments;
    if (args.empty()) {
        parsed.error = "missing command (ports, decode or scan)";
        return parsed;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        arguments.help = true;
        if (first == "help" && args.size() > 1) {
            const ParsedArguments command = ParseCliArguments({args[1], "--help"});
            if (!command.error.empty()) {
                return command;
            }
            arguments.command = command.arguments.command;
        }
        return parsed;
    }
    if (first == "--version") {
        arguments.version = true;
        if (args.size() > 1) {
            parsed.error = "unexpected argument '" + args[1] + "'";
        }
        return parsed;
    }
    if (first == "ports") {
        arguments.command = CliCommand::Ports;
    } else if (first == "decode") {
        arguments.command = CliCommand::Decode;
    } else if (first == "scan") {
        arguments.command = CliCommand::Scan;
    } else if (IsOption(first)) {
        parsed.error = "unknown option '" + first + "'";
        return parsed;
    } else {
        parsed.error = "unknown command '" + first + "' (ports, decode or scan)";
        return parsed;
    }
    ParseCommandArguments(args, 1, &parsed);
    return parsed;
}
