#pragma once

#include "log/MessageLog.h"

#include <string>
#include <vector>

// Keeps every Message log line completed while it is installed, so that none is lost
// when the log's table wraps. Installed on construction, from the line count of then.
class LogCollector final : public MessageLogTable::LineObserver {
public:
    LogCollector();
    ~LogCollector() override;
    LogCollector(const LogCollector&) = delete;
    LogCollector& operator=(const LogCollector&) = delete;

    // The lines so far, the newest one included even if it could still be extended.
    const std::vector<std::string>& Lines();

    void OnLineCompleted(const char* text) override;

private:
    std::vector<std::string> m_lines;
};
