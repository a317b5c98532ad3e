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
#include "stats/LimitVerdict.h"
#include "stats/ScanReport.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

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
    for (const std::string* path :
         {&request.output.reportPath, &request.output.pngPath, &request.output.chartPath,
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
                                       {"--chart", &request.output.chartPath},
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

    const LimitVerdict verdict = JudgeLimits(StripStatsWork, request.limits);
    view.m_failingSensors = FailingSensorFlags(verdict.failingSensors);

    bool filesWritten = true;
    std::string png;
    if (!output.pngPath.empty()) {
        std::string error;
        if (!RenderViewPng(view, output.pngWidth, output.pngHeight, &png, &error)) {
            PrintError(error);
            filesWritten = false;
        }
    }

    std::string chart;
    if (!output.chartPath.empty()) {
        std::string error;
        if (!RenderSensorChartPng(StripStatsWork, request.limits, output.pngWidth, output.pngHeight,
                                  &chart, &error)) {
            PrintError(error);
            filesWritten = false;
        }
    }

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
    if (!output.chartPath.empty() && !chart.empty()) {
        filesWritten = WriteFile(output.chartPath, chart) && filesWritten;
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
