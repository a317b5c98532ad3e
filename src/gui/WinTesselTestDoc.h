#pragma once

#include <QObject>
#include <QString>

class QIODevice;

// The document: it holds no data of its own; saving it writes the scan report, and
// opening a file only takes the file's name.
class CWinTesselTestDoc : public QObject {
    Q_OBJECT
public:
    CWinTesselTestDoc();
    ~CWinTesselTestDoc() override;

    bool OnNewDocument();
    // Opens the file for reading and reads nothing from it; false, with `error`
    // set, when it can't be opened or is not a regular file (a FIFO, a device, a folder),
    // which is refused without being opened.
    bool OnOpenDocument(const QString& path, QString* error);
    // Replaces the file atomically with the scan report; on failure the old file and
    // the document's name stay as they were.
    bool OnSaveDocument(const QString& path, QString* error);

    // Storing writes the scan report as one length-prefixed string; loading reads nothing.
    bool Serialize(QIODevice& archive, bool storing);

    const QString& PathName() const { return m_pathName; }
    QString Title() const;

signals:
    void TitleChanged(const QString& title);

private:
    void SetPathName(const QString& path);

    QString m_pathName;
};
