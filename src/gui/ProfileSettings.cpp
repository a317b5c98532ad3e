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
}

void ProfileSettings::AddRecentFile(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    m_recentFiles.removeAll(absolute);
    m_recentFiles.prepend(absolute);
    while (m_recentFiles.size() > kRecentFiles) {
        m_recentFiles.removeLast();
    }
}
