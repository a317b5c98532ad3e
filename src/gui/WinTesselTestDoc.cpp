#include "gui/WinTesselTestDoc.h"

#include "files/InputFile.h"
#include "files/OutputFile.h"
#include "gui/AppLock.h"
#include "stats/LengthPrefixedString.h"
#include "stats/ScanReport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

namespace {

QString CannotOpen(const QString& path, const QString& why) {
    return QStringLiteral("Cannot open %1: %2").arg(path, why);
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
    // Only a regular file is a document. Opening a FIFO would wait for a writer, before
    // the window has even appeared when the name came on the command line; a device or
    // a folder is no document either.
    std::string why;
    if (!CanOpenRegularFile(QFile::encodeName(path).toStdString(), &why)) {
        *error = CannotOpen(path, QString::fromLocal8Bit(why));
        return false;
    }
    // Loading reads nothing (see Serialize): an opened report names the document.
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
