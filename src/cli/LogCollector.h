#pragma once

#include "log/MessageLog.h"

#include <string>
#include <vector>

// Takes every Message log line completed while it is installed, so that none is lost
// when the log's table wraps: keeps it for the end, prints it at once (a session whose
// log may be endless, such as a decode of a stream), or drops it. Installed on
// construction, from the line count of then.
class LogCollector final : public MessageLogTable::LineObserver {
public:
    enum class Lines { Keep, Print, Drop };

    explicit LogCollector(Lines what = Lines::Keep);
    ~LogCollector() override;
    LogCollector(const LogCollector&) = delete;
    LogCollector& operator=(const LogCollector&) = delete;

    // The lines kept so far, the newest one included even if it could still be
    // extended (printed or dropped first, with the other modes).
    const std::vector<std::string>& KeptLines();

    void OnLineCompleted(const char* text) override;

private:
    Lines m_what;
    std::vector<std::string> m_lines;
};
