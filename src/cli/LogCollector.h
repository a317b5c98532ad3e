#pragma once

#include "cli/CliArguments.h"
#include "log/MessageLog.h"

class ScanProgress;

// Takes every Message log line the moment the log completes it while it is installed,
// so that none is lost when the log's table wraps, and prints and flushes it on
// standard output at once; or drops it, when the JSON document has standard output.
// Nothing is kept, so a log that a peer or an input floods can't grow memory.
// Installed on construction, from the line count of then.
class LogCollector final : public MessageLogTable::LineObserver {
public:
    explicit LogCollector(const OutputOptions& output);
    ~LogCollector() override;
    LogCollector(const LogCollector&) = delete;
    LogCollector& operator=(const LogCollector&) = delete;

    // Takes the newest line too, even if it could still be extended.
    void Flush();
    // A progress line on the terminal that a log line must first take away.
    void SetProgress(ScanProgress* progress) { m_progress = progress; }

    void OnLineCompleted(const char* text) override;

private:
    bool m_print = true;
    ScanProgress* m_progress = nullptr;
};
