#pragma once

#include "stats/LimitVerdict.h"

#include <QStringList>

// The framework's profile: the recent-file list of four entries and the print-preview
// page count, read at start and written at exit; and a bench's limits, which View >
// Sensor Limits sets.
class ProfileSettings {
public:
    static constexpr int kRecentFiles = 4;

    void Load();
    void Save() const;

    // Puts the file first in the recent-file list.
    void AddRecentFile(const QString& path);
    const QStringList& RecentFiles() const { return m_recentFiles; }
    int PreviewPages() const { return m_previewPages; }
    const LimitOptions& SensorLimits() const { return m_sensorLimits; }
    void SetSensorLimits(const LimitOptions& limits) { m_sensorLimits = limits; }

private:
    QStringList m_recentFiles;
    int m_previewPages = 0;
    LimitOptions m_sensorLimits = {};
};
