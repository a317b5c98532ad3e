#include "gui/AutomationDocument.h"

#include "gui/WinTesselTestDoc.h"

AutomationDocument::AutomationDocument(const QString& path, const QString& creator, QObject* parent)
    : QObject(parent), m_document(std::make_unique<CWinTesselTestDoc>()), m_path(path),
      m_creator(creator) {
    m_document->OnNewDocument();
}

AutomationDocument::~AutomationDocument() = default;

void AutomationDocument::Release() {
    emit ReleaseRequested();
}
