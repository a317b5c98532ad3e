#include "cli/LogCollector.h"

LogCollector::LogCollector() {
    MessageLog.SetObserver(this);
}

LogCollector::~LogCollector() {
    MessageLog.SetObserver(nullptr);
}

const std::vector<std::string>& LogCollector::Lines() {
    MessageLog.FlushObserver();
    return m_lines;
}

void LogCollector::OnLineCompleted(const char* text) {
    m_lines.emplace_back(text);
}
