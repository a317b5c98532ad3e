#include "stats/WrittenReports.h"

#include <algorithm>
#include <system_error>

void WrittenReports::Written(const std::filesystem::path& file) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error) {
        return; // gone again: nothing of this run's is there to keep
    }
    std::erase_if(m_written, [&](const Report& report) {
        std::error_code ignored;
        return report.path == file || std::filesystem::equivalent(report.path, file, ignored);
    });
    m_written.push_back({file, written});
}

bool WrittenReports::WouldReplaceAnother(const std::filesystem::path& file) const {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return false;
    }
    const auto modified = std::filesystem::last_write_time(file, error);
    // Compared as files, not as names: a link or another spelling names the same file.
    return std::none_of(m_written.begin(), m_written.end(), [&](const Report& report) {
        std::error_code ignored;
        return std::filesystem::equivalent(report.path, file, ignored) && !error &&
               report.written == modified;
    });
}
