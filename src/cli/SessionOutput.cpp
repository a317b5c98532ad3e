#include "cli/SessionOutput.h"

#include "cli/ByteCapture.h"
#include "cli/HeadlessView.h"
#include "cli/LogCollector.h"
#include "cli/Messages.h"
#include "ports/InputRings.h"
#include "render/FileIo.h"
#include "render/ViewPicture.h"
#include "stats/LengthPrefixedString.h"
#include "stats/ScanReport.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
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
    std::printf("scanCount %d\nscanLength %d\nstripLength %d\n", state.m_scanCount,
                state.m_scanLength, static_cast<int>(state.m_stripLength));
    PrintNumbers("values", state.m_values, ScannerState::kValues);
    PrintNumbers("calibLow", state.m_calibLow, ScannerState::kValues);
    PrintNumbers("calibHigh", state.m_calibHigh, ScannerState::kValues);
    std::printf("inputLost %u %u\n", InputBytesLost.load(), InputEventsLost.load());
}

void PrintStats(const StripStatsMonitor& monitor) {
    for (const auto& [label, text] : monitor.LabelledFields()) {
        std::printf("%s: %s\n", label.c_str(), text.c_str());
    }
}

// Each figure is judged as the monitor shows it.
bool CheckLimits(const StripStatsMonitor& monitor, const OutputRequest& request) {
    bool exceeded = false;
    if (request.maxAvgDeviation) {
        const std::string shown = FormatDialogFloat(monitor.m_avgDeviation);
        if (std::strtod(shown.c_str(), nullptr) > request.maxAvgDeviation->value) {
            PrintError("Avg Deviation: " + shown + " exceeds " + request.maxAvgDeviation->text);
            exceeded = true;
        }
    }
    if (request.maxSwing && monitor.m_maxSwing > request.maxSwing->value) {
        PrintError("Max Deviation Swing: " + std::to_string(monitor.m_maxSwing) + " exceeds " +
                   request.maxSwing->text);
        exceeded = true;
    }
    return exceeded;
}

bool WriteOutputFile(const std::string& path, std::string_view bytes) {
    std::string error;
    if (!WriteFileAtomically(path, bytes, &error)) {
        PrintError(error);
        return false;
    }
    return true;
}

} // namespace

bool OutputFilesWritable(const OutputRequest& request) {
    bool writable = true;
    for (const std::string* path :
         {&request.output.reportPath, &request.output.pngPath, &request.capturePath}) {
        std::string error;
        if (!path->empty() && !CanWriteFile(*path, &error)) {
            PrintError(error);
            writable = false;
        }
    }
    return writable;
}

void PrintLog(LogCollector& log) {
    for (const std::string& line : log.Lines()) {
        Print(line);
        Print("\n");
    }
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
    std::fflush(stdout);

    if (!output.reportPath.empty()) {
        filesWritten = WriteOutputFile(output.reportPath, report) && filesWritten;
    }
    if (!output.pngPath.empty() && !png.empty()) {
        filesWritten = WriteOutputFile(output.pngPath, png) && filesWritten;
    }
    if (!request.capturePath.empty() && request.capture != nullptr) {
        filesWritten =
            WriteOutputFile(request.capturePath, request.capture->Bytes()) && filesWritten;
    }

    const bool exceeded = CheckLimits(monitor, request);
    if (!filesWritten) {
        return ExitStatus::File;
    }
    return exceeded ? ExitStatus::LimitExceeded : ExitStatus::Success;
}
