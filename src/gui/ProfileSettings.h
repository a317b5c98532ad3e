#pragma once

#include <QStringList>

// The framework's profile: the recent-file list of four entries and the print-preview
// page count, read at start and written at exit. The program keeps nothing else.
class ProfileSettings {
public:
    static constexpr int kRecentFiles = 4;

    void Load();
    void Save() const;

    // Puts the file first in the recent-file list.
    void AddRecentFile(const QString& path);
    const QStringList& RecentFiles() const { return m_recentFiles; }
    int PreviewPages() const { return m_previewPages; }

private:
    QStringList m_recentFiles;
    int m_previewPages = 0;
};
