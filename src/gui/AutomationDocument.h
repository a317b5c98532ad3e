#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CWinTesselTestDoc;

// A document created for an automation client, as the client sees it on the bus. It
// holds the application lock (through the document) until it is released.
class AutomationDocument : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "WinTesselTest.Document")
public:
    AutomationDocument(const QString& path, const QString& creator, QObject* parent);
    ~AutomationDocument() override;

    const QString& Path() const { return m_path; }
    // The unique bus name of the client that created the document.
    const QString& Creator() const { return m_creator; }

public slots:
    // The reference release that every automation interface carries; the document's
    // dispatch interface itself has no properties and no methods.
    void Release();

signals:
    void ReleaseRequested();

private:
    std::unique_ptr<CWinTesselTestDoc> m_document;
    QString m_path;
    QString m_creator;
};
