#include "gui/ProfileSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

QSettings Profile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Local AppWizard-Generated Applications"),
                     QStringLiteral("WinTesselTest"));
}

QString RecentKey(int index) {
    return QStringLiteral("Recent File List/File%1").arg(index + 1);
}

// Each limit is kept as the user wrote it, which is what its messages quote; one not
// set has no key. A text that no longer reads as a limit (edited by hand) sets none.
template <typename T>
void LoadLimit(const QSettings& profile, const char* key, std::optional<Limit<T>>* limit,
               std::optional<Limit<T>> (*parse)(const std::string&)) {
    const QString text = profile.value(QStringLiteral("Sensor Limits/%1").arg(key)).toString();
    *limit = text.isEmpty() ? std::nullopt : parse(text.toStdString());
}

template <typename T>
void SaveLimit(QSettings& profile, const char* key, const std::optional<Limit<T>>& limit) {
    const QString name = QStringLiteral("Sensor Limits/%1").arg(key);
    if (limit) {
        profile.setValue(name, QString::fromStdString(limit->text));
    } else {
        profile.remove(name);
    }
}

} // namespace

void ProfileSettings::Load() {
    QSettings profile = Profile();
    m_recentFiles.clear();
    for (int i = 0; i < kRecentFiles; ++i) {
        const QString path = profile.value(RecentKey(i)).toString();
        if (!path.isEmpty()) {
            m_recentFiles.append(path);
        }
    }
    m_previewPages = profile.value(QStringLiteral("Settings/PreviewPages"), 0).toInt();
    LoadLimit(profile, "MaxAvgDeviation", &m_sensorLimits.maxAvgDeviation, &ParseRealLimit);
    LoadLimit(profile, "MaxSwing", &m_sensorLimits.maxSwing, &ParseWholeLimit);
    LoadLimit(profile, "MaxSensorRms", &m_sensorLimits.maxSensorRms, &ParseRealLimit);
    LoadLimit(profile, "MaxSensorSwing", &m_sensorLimits.maxSensorSwing, &ParseWholeLimit);
}

void ProfileSettings::Save() const {
    QSettings profile = Profile();
    for (int i = 0; i < kRecentFiles; ++i) {
        if (i < m_recentFiles.size()) {
            profile.setValue(RecentKey(i), m_recentFiles[i]);
        } else {
            profile.remove(RecentKey(i));
        }
    }
    profile.setValue(QStringLiteral("Settings/PreviewPages"), m_previewPages);
    SaveLimit(profile, "MaxAvgDeviation", m_sensorLimits.maxAvgDeviation);
    SaveLimit(profile, "MaxSwing", m_sensorLimits.maxSwing);
    SaveLimit(profile, "MaxSensorRms", m_sensorLimits.maxSensorRms);
    SaveLimit(profile, "MaxSensorSwing", m_sensorLimits.maxSensorSwing);
}

void ProfileSettings::AddRecentFile(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    m_recentFiles.removeAll(absolute);
    m_recentFiles.prepend(absolute);
    while (m_recentFiles.size() > kRecentFiles) {
        m_recentFiles.removeLast();
    }
}
