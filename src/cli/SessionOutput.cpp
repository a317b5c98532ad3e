#include "cli/SessionOutput.h"

#include "cli/ByteCapture.h"
#include "cli/HeadlessView.h"
#include "cli/LogCollector.h"
#include "cli/Messages.h"
#include "cli/ScanDocument.h"
#include "cli/StandardOutput.h"
#include "files/FilePaths.h"
#include "files/OutputFile.h"
#include "ports/InputRings.h"
#include "render/ViewPicture.h"
#include "stats/LengthPrefixedString.h"
#include "stats/ScanReport.h"
#include "stats/SensorVerdicts.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// The number at the start of `text`, read the same in every locale; 0 when none.
double ParseDecimal(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void Print(std::string_view text) {
    PrintOut(text);
}

void PrintNumbers(const char* name, const uint8_t* values, int count) {
    std::string line = name;
    for (int i = 0; i < count; ++i) {
        line += ' ';
        line += std::to_string(values[i]);
    }
    line += '\n';
    Print(line);
}

void PrintState(const ScannerState& state) {
    Print("scanCount " + std::to_string(state.m_scanCount) + "\nscanLength " +
          std::to_string(state.m_scanLength) + "\nstripLength " +
          std::to_string(static_cast<int>(state.m_stripLength)) + "\n");
    PrintNumbers("values", state.m_values, ScannerState::kValues);
    PrintNumbers("calibLow", state.m_calibLow, ScannerState::kValues);
    PrintNumbers("calibHigh", state.m_calibHigh, ScannerState::kValues);
    Print("inputLost " + std::to_string(InputBytesLost.load()) + " " +
          std::to_string(InputEventsLost.load()) + "\n");
}

void PrintStats(const StripStatsMonitor& monitor) {
    for (const auto& [label, text] : monitor.LabelledFields()) {
        Print(label + ": " + text + "\n");
    }
}

// The verdict on the limits, and the lines that say which were exceeded.
struct Verdict {
    std::vector<std::string> messages;
    std::vector<SensorFailure> failingSensors;
    bool stripFailed = false;
};

// Strip-wide figures are judged as the monitor shows them; a sensor's figures as they
// are.
Verdict JudgeLimits(const StripStatsMonitor& monitor, const LimitOptions& limits) {
    Verdict verdict;
    if (limits.maxAvgDeviation) {
        const std::string shown = FormatDialogFloat(monitor.m_avgDeviation);
        if (ParseDecimal(shown) > limits.maxAvgDeviation->value) {
            verdict.messages.push_back("Avg Deviation: " + shown + " exceeds " +
                                       limits.maxAvgDeviation->text);
        }
    }
    if (limits.maxSwing && monitor.m_maxSwing > limits.maxSwing->value) {
        verdict.messages.push_back("Max Deviation Swing: " + std::to_string(monitor.m_maxSwing) +
                                   " exceeds " + limits.maxSwing->text);
    }
    verdict.stripFailed = !verdict.messages.empty();

    SensorLimits sensorLimits;
    if (limits.maxSensorRms) {
        sensorLimits.maxRms = limits.maxSensorRms->value;
    }
    if (limits.maxSensorSwing) {
        sensorLimits.maxSwing = limits.maxSensorSwing->value;
    }
    const StripStatsWorkArea& stats = StripStatsWork;
    verdict.failingSensors = FailingSensors(stats, sensorLimits);
    for (const SensorFailure& failure : verdict.failingSensors) {
        const std::string sensor = "sensor " + std::to_string(failure.sensor) + ": ";
        if (failure.rms) {
            verdict.messages.push_back(sensor + "rms " +
                                       ShortestFloatText(stats.SensorRms[failure.sensor]) +
                                       " exceeds " + limits.maxSensorRms->text);
        }
        if (failure.swing) {
            verdict.messages.push_back(sensor + "swing " +
                                       std::to_string(SensorSwing(stats, failure.sensor)) +
                                       " exceeds " + limits.maxSensorSwing->text);
        }
    }
    return verdict;
}

bool WriteFile(const std::string& path, std::string_view bytes) {
    std::string error;
    if (!WriteOutputFile(path, bytes, &error)) {
        PrintError(error);
        return false;
    }
    return true;
}

bool JsonToStandardOutput(const OutputOptions& output) {
    return output.jsonPath == "-";
}

const std::string& JsonFilePath(const OutputOptions& output) {
    static const std::string none;
    return JsonToStandardOutput(output) ? none : output.jsonPath;
}

} // namespace

bool OutputFilesWritable(const OutputRequest& request) {
    bool writable = true;
    for (const std::string* path : {&request.output.reportPath, &request.output.pngPath,
                                    &JsonFilePath(request.output), &request.capturePath}) {
        std::string error;
        if (!path->empty() && !CanWriteOutputFile(*path, &error)) {
            PrintError(error);
            writable = false;
        }
    }
    return writable;
}

std::string OutputPathConflict(const OutputRequest& request,
                               const std::vector<std::string>& inputs) {
    std::vector<std::pair<const char*, const std::string*>> outputs;
    for (const auto& [option, path] : {std::pair{"--report", &request.output.reportPath},
                                       {"--png", &request.output.pngPath},
                                       {"--json", &JsonFilePath(request.output)},
                                       {"--capture", &request.capturePath}}) {
        if (!path->empty()) {
            outputs.emplace_back(option, path);
        }
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        for (size_t j = i + 1; j < outputs.size(); ++j) {
            if (SamePlace(*outputs[i].second, *outputs[j].second)) {
                return std::string(outputs[i].first) + " and " + outputs[j].first +
                       " name one file: '" + *outputs[j].second + "'";
            }
        }
        for (const std::string& input : inputs) {
            const std::optional<FileIdentity> read = InputIdentity(input);
            if (read && !read->characterDevice && *read == OutputIdentity(*outputs[i].second)) {
                return std::string(outputs[i].first) + " '" + *outputs[i].second +
                       "' would replace the input '" + input + "'";
            }
        }
    }
    return {};
}

void PrintLog(LogCollector& log) {
    log.Flush();
}

ExitStatus ProduceOutput(HeadlessView& view, LogCollector& log, const OutputRequest& request) {
    const OutputOptions& output = request.output;
    StripStatsMonitor& monitor = view.Monitor();
    monitor.ComputeStatistics();
    const std::string histogram = output.histogram ? monitor.CopyStats() : std::string();
    // Built before the log is printed: its own drain could add lines.
    const std::string report =
        output.reportPath.empty() ? std::string() : LengthPrefixedString(BuildScanReport());

    bool filesWritten = true;
    std::string png;
    if (!output.pngPath.empty()) {
        std::string error;
        if (!RenderViewPng(view, output.pngWidth, output.pngHeight, &png, &error)) {
            PrintError(error);
            filesWritten = false;
        }
    }

    const Verdict verdict = JudgeLimits(monitor, request.limits);
    std::string json;
    if (!output.jsonPath.empty()) {
        ScanFacts facts;
        facts.state = &view;
        facts.stats = &StripStatsWork;
        facts.bytesLost = InputBytesLost.load();
        facts.eventsLost = InputEventsLost.load();
        facts.limits = &request.limits;
        facts.failingSensors = verdict.failingSensors;
        facts.stripFailed = verdict.stripFailed;
        json = BuildScanDocument(facts);
    }

    if (JsonToStandardOutput(output)) {
        Print(json);
    } else {
        PrintLog(log);
        if (output.state) {
            PrintState(view);
        }
        if (output.stats) {
            PrintStats(monitor);
        }
        if (output.histogram) {
            Print(histogram);
        }
    }

    if (!output.reportPath.empty()) {
        filesWritten = WriteFile(output.reportPath, report) && filesWritten;
    }
    if (!output.pngPath.empty() && !png.empty()) {
        filesWritten = WriteFile(output.pngPath, png) && filesWritten;
    }
    if (!JsonFilePath(output).empty()) {
        filesWritten = WriteFile(output.jsonPath, json) && filesWritten;
    }
    if (!request.capturePath.empty() && request.capture != nullptr) {
        filesWritten = WriteFile(request.capturePath, request.capture->Bytes()) && filesWritten;
    }

    for (const std::string& message : verdict.messages) {
        PrintError(message);
    }
    if (!filesWritten) {
        return ExitStatus::File;
    }
    return verdict.messages.empty() ? ExitStatus::Success : ExitStatus::LimitExceeded;
}
