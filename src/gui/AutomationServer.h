#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QObject>

#include <vector>

class AutomationDocument;

// The class object of the document's automation class on the session bus: object "/"
// under the bus name "WinTesselTest.Document". Each creation makes a document at
// /Document/<n>. The class serves multiple instances: after a creation the process gives
// up the bus name, so that the next creation starts a process of its own.
class AutomationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "WinTesselTest.ClassFactory")
public:
    explicit AutomationServer(const QDBusConnection& connection);
    ~AutomationServer() override;

    // Registers the class object as running: the object and the bus name. When another
    // process holds the name, this one waits in the bus's queue for it. False, with
    // `error` set, when the bus refuses either.
    bool RegisterAll(QString* error);

public slots:
    QDBusObjectPath CreateInstance();

private:
    void WatchCreator(const QString& creator);
    void ReleaseDocument(AutomationDocument* document);
    void OnCreatorLeft(const QString& creator);

    QDBusConnection m_connection;
    QDBusServiceWatcher m_creators;
    // Owned as children; each entry is registered on the bus at its path.
    std::vector<AutomationDocument*> m_documents;
    int m_nextDocument = 1;
};
