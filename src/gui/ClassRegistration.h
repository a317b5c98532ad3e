#pragma once

#include <QByteArray>
#include <QString>

// The registration of the document's automation class. On this platform the session
// D-Bus stands in for the system's automation: the class is registered by an activation
// file that starts this program with /Automation when a client asks for the class.
namespace ClassRegistration {
// Fixed for good: clients and older registrations name the class by these.
inline constexpr char kDocumentClassId[] = "{c0f98149-41ff-4441-a9e9-f3fe6f794b59}";
inline constexpr char kDocumentDispatchId[] = "{a05f46eb-2248-4c1e-828f-abd4446486f9}";

// The type id and type name of the document string: "WinTesselTest.Document" (also the
// bus name) and "WinTes Document".
QString DocumentTypeId();
QString DocumentTypeName();

// $XDG_DATA_HOME/dbus-1/services/WinTesselTest.Document.service
QString ActivationFilePath();
// The activation file that starts `program` for an automation start.
QByteArray ActivationFileText(const QString& program);

// Writes the activation file anew for the running executable. False, with `error` set,
// when it can't be written; the old file then stays as it was.
bool UpdateRegistry(QString* error);
} // namespace ClassRegistration
