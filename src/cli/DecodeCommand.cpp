#include "cli/Commands.h"
#include "cli/FileIo.h"
#include "cli/HeadlessView.h"
#include "cli/LogCollector.h"
#include "cli/Messages.h"
#include "cli/SessionOutput.h"
#include "midi/InputRings.h"
#include "midi/MidiMessageKinds.h"
#include "midi/MidiPortLayer.h"

#include <algorithm>
#include <chrono>

namespace {

// Hands the bytes to the rings as the input callback would, one returned buffer at a
// time, and decodes after each as a poll tick would.
void Feed(HeadlessView& view, const std::string& bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t at = 0; at < bytes.size(); at += kInputBufferBytes) {
        const auto count =
            static_cast<uint32_t>(std::min<size_t>(kInputBufferBytes, bytes.size() - at));
        // The rings were drained after the last event, so there is room.
        RecordInputEvent(CallbackEvent{0, count, kMimLongData, 0, 0}, data + at, count);
        view.ProcessMidiInput();
    }
}

} // namespace

ExitStatus RunDecode(const CliArguments& arguments) {
    std::vector<std::string> contents(arguments.files.size());
    bool readable = true;
    for (size_t i = 0; i < arguments.files.size(); ++i) {
        std::string error;
        if (!ReadWholeFile(arguments.files[i], &contents[i], &error)) {
            PrintError(error);
            readable = false;
        }
    }
    if (!readable) {
        return ExitStatus::File;
    }

    OutputRequest request;
    request.output = arguments.output;
    if (!OutputFilesWritable(request)) {
        return ExitStatus::File;
    }

    HeadlessView view(std::chrono::milliseconds(120));
    LogCollector log;
    if (arguments.setup) {
        // No output is open: the requests go nowhere, but the flags are armed.
        view.OnGetSetupInformation();
    }
    for (const std::string& bytes : contents) {
        Feed(view, bytes);
    }
    return ProduceOutput(view, log, request);
}
