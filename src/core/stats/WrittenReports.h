#pragma once

#include <filesystem>
#include <vector>

// The files this run of the program has written its report to. Open takes a file's name
// without reading the file, so a later Save would silently replace a report its user
// never saw: Save onto a file that exists and is none of these asks first.
class WrittenReports {
public:
    // Notes the file just written at `file`.
    void Written(const std::filesystem::path& file);
    // True when `file` exists and is not, by any of its names, a file this run wrote, as
    // this run left it: one changed since by another program is no longer this run's.
    bool WouldReplaceAnother(const std::filesystem::path& file) const;

private:
    struct Report {
        std::filesystem::path path;
        std::filesystem::file_time_type written;
    };
    std::vector<Report> m_written;
};
