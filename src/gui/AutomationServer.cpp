#include "gui/AutomationServer.h"

#include "gui/AutomationDocument.h"
#include "gui/ClassRegistration.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>

#include <algorithm>

AutomationServer::AutomationServer(const QDBusConnection& connection)
    : m_connection(connection),
      m_creators(QString(), connection, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&m_creators, &QDBusServiceWatcher::serviceUnregistered, this,
            &AutomationServer::OnCreatorLeft);
}

AutomationServer::~AutomationServer() = default;

bool AutomationServer::RegisterAll(QString* error) {
    if (!m_connection.registerObject(QStringLiteral("/"), this, QDBusConnection::ExportAllSlots)) {
        *error = QStringLiteral("the class object could not be registered on the session bus");
        return false;
    }
    const QString name = ClassRegistration::DocumentTypeId();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_connection.interface()->registerService(name, QDBusConnectionInterface::QueueService,
                                                  QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() == QDBusConnectionInterface::ServiceNotRegistered) {
        *error = QStringLiteral("the bus name %1 could not be registered: %2")
                     .arg(name, reply.error().message());
        return false;
    }
    return true;
}

QDBusObjectPath AutomationServer::CreateInstance() {
    const QString creator = calledFromDBus() ? message().service() : QString();
    const QString path = QStringLiteral("/Document/%1").arg(m_nextDocument++);
    auto* document = new AutomationDocument(path, creator, this);
    if (!m_connection.registerObject(path, document, QDBusConnection::ExportAllSlots)) {
        delete document;
        sendErrorReply(QDBusError::Failed,
                       QStringLiteral("the document could not be registered at %1").arg(path));
        return QDBusObjectPath();
    }
    connect(document, &AutomationDocument::ReleaseRequested, this,
            [this, document] { ReleaseDocument(document); });
    m_documents.push_back(document);
    if (!creator.isEmpty()) {
        WatchCreator(creator);
    }
    // Blocking on purpose: the bus has let go of the name before the creator gets its
    // answer, so its next creation already starts a new process.
    m_connection.interface()->unregisterService(ClassRegistration::DocumentTypeId());
    return QDBusObjectPath(path);
}

void AutomationServer::WatchCreator(const QString& creator) {
    m_creators.addWatchedService(creator);
    // A creator that left before the watch was in place would hold its documents for good.
    if (!m_connection.interface()->isServiceRegistered(creator).value()) {
        OnCreatorLeft(creator);
    }
}

void AutomationServer::ReleaseDocument(AutomationDocument* document) {
    const auto found = std::find(m_documents.begin(), m_documents.end(), document);
    if (found == m_documents.end()) {
        return;
    }
    m_documents.erase(found);
    m_connection.unregisterObject(document->Path());
    const QString creator = document->Creator();
    const bool creatorHoldsMore =
        std::any_of(m_documents.begin(), m_documents.end(),
                    [&creator](const AutomationDocument* d) { return d->Creator() == creator; });
    if (!creatorHoldsMore) {
        m_creators.removeWatchedService(creator);
    }
    // Release may be running on the document itself.
    document->deleteLater();
}

void AutomationServer::OnCreatorLeft(const QString& creator) {
    std::vector<AutomationDocument*> left;
    std::copy_if(m_documents.begin(), m_documents.end(), std::back_inserter(left),
                 [&creator](const AutomationDocument* d) { return d->Creator() == creator; });
    for (AutomationDocument* document : left) {
        ReleaseDocument(document);
    }
}
