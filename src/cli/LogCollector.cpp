#include "cli/LogCollector.h"

#include "cli/ScanProgress.h"
#include "cli/StandardOutput.h"

#include <string>

LogCollector::LogCollector(const OutputOptions& output) : m_print(output.jsonPath != "-") {
    MessageLog.SetObserver(this);
}

LogCollector::~LogCollector() {
    MessageLog.SetObserver(nullptr);
}

void LogCollector::Flush() {
    MessageLog.FlushObserver();
}

void LogCollector::OnLineCompleted(const char* text) {
    if (!m_print) {
        return;
    }
    if (m_progress != nullptr) {
        m_progress->Hide();
    }
    PrintOut(std::string(text) + '\n');
}
