#include "cli/Commands.h"
#include "cli/HeadlessView.h"
#include "cli/LogCollector.h"
#include "cli/Messages.h"
#include "cli/SessionOutput.h"
#include "files/InputFile.h"
#include "ports/InputRings.h"
#include "ports/MidiPortLayer.h"
#include "scanner/ScannerView.h"
#include "services/MidiServices.h"

#include <algorithm>
#include <chrono>
#include <string_view>

void FeedReceivedBytes(ScannerView& view, std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t at = 0; at < bytes.size(); at += kInputBufferBytes) {
        const auto count =
            static_cast<uint32_t>(std::min<size_t>(kInputBufferBytes, bytes.size() - at));
        // The rings were drained after the last event, so there is room.
        RecordInputEvent(CallbackEvent{0, count, kMimLongData, 0, 0}, data + at, count);
        view.ProcessMidiInput();
    }
}

ExitStatus RunDecode(const CliArguments& arguments) {
    OutputRequest request;
    request.output = arguments.output;
    request.limits = arguments.limits;
    if (const std::string clash = OutputPathConflict(request, arguments.files); !clash.empty()) {
        PrintError(clash);
        return ExitStatus::Usage;
    }

    // Every input is checked before any is read, so that a missing one is reported
    // before the work; each is then opened in its turn and read as a stream, so that
    // neither memory nor open files grow with their number.
    bool readable = true;
    for (const std::string& path : arguments.files) {
        std::string error;
        if (!CanReadInputFile(path, &error)) {
            PrintError(error);
            readable = false;
        }
    }
    if (!readable) {
        return ExitStatus::File;
    }
    if (!OutputFilesWritable(request)) {
        return ExitStatus::File;
    }

    HeadlessView view(std::chrono::milliseconds(120));
    LogCollector log(arguments.output);
    if (arguments.setup) {
        // No output is open: the requests go nowhere, but the flags are armed.
        view.OnGetSetupInformation();
    }
    bool allRead = true;
    for (const std::string& path : arguments.files) {
        InputFile input;
        std::string error;
        if (!input.Open(path, &error)) {
            PrintError(error);
            allRead = false;
            continue;
        }
        unsigned char event[kInputBufferBytes];
        for (;;) {
            const long count = input.Read(event, sizeof event, &error);
            if (count < 0) {
                PrintError(error);
                allRead = false;
                break;
            }
            if (count == 0) {
                break;
            }
            FeedReceivedBytes(view, std::string_view(reinterpret_cast<const char*>(event),
                                                     static_cast<size_t>(count)));
        }
    }
    const ExitStatus status = ProduceOutput(view, log, request);
    return allRead ? status : MoreSevere(status, ExitStatus::File);
}
