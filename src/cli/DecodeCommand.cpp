#include "cli/Commands.h"
#include "cli/HeadlessView.h"
#include "cli/LogCollector.h"
#include "cli/Messages.h"
#include "cli/ReceivedBytesFeed.h"
#include "cli/SessionOutput.h"
#include "render/FileIo.h"

#include <chrono>

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
    request.limits = arguments.limits;
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
        FeedReceivedBytes(view, bytes);
    }
    return ProduceOutput(view, log, request);
}
