#include "gui/WinTesselTestDoc.h"

#include "files/OutputFile.h"
#include "gui/AppLock.h"
#include "stats/LengthPrefixedString.h"
#include "stats/ScanReport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

QString CannotOpen(const QString& path, const QString& why) {
    return QStringLiteral("Cannot open %1: %2").arg(path, why);
}

QString SystemError(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

CWinTesselTestDoc::CWinTesselTestDoc() {
    AppLock::Lock();
}

CWinTesselTestDoc::~CWinTesselTestDoc() {
    AppLock::Unlock();
}

bool CWinTesselTestDoc::OnNewDocument() {
    SetPathName(QString());
    return true;
}

bool CWinTesselTestDoc::OnOpenDocument(const QString& path, QString* error) {
    // Only a regular file is a document. Opening a FIFO waits for a writer, before the
    // window has even appeared when the name came on the command line, so the kind is
    // asked before anything is opened; a device or a folder is no document either.
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        *error = CannotOpen(path, SystemError(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = CannotOpen(path, QStringLiteral("not a regular file"));
        return false;
    }
    // Should the name be swapped for something else in between, the open still returns
    // at once, and what it opened is looked at again.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = CannotOpen(path, SystemError(errno));
        return false;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *error = CannotOpen(path, QStringLiteral("not a regular file"));
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = CannotOpen(path, file.errorString());
        return false;
    }
    Serialize(file, false);
    SetPathName(path);
    return true;
}

bool CWinTesselTestDoc::OnSaveDocument(const QString& path, QString* error) {
    QBuffer archive;
    archive.open(QIODevice::WriteOnly);
    Serialize(archive, true);
    std::string why;
    // A name that is a device or a FIFO is written in place, never replaced.
    if (!WriteOutputFile(QFile::encodeName(path).toStdString(), archive.data().toStdString(),
                         &why)) {
        *error = QStringLiteral("Failed to save document: %1").arg(QString::fromLocal8Bit(why));
        return false;
    }
    SetPathName(path);
    return true;
}

bool CWinTesselTestDoc::Serialize(QIODevice& archive, bool storing) {
    if (!storing) {
        return true;
    }
    const std::string bytes = LengthPrefixedString(BuildScanReport());
    return archive.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

QString CWinTesselTestDoc::Title() const {
    return m_pathName.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(m_pathName).fileName();
}

void CWinTesselTestDoc::SetPathName(const QString& path) {
    m_pathName = path;
    emit TitleChanged(Title());
}
