#include "gui/ClassRegistration.h"

#include "files/OutputFile.h"
#include "gui/AppStrings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// Fields of the document string, in order: window title, document name, file-new name,
// filter name, filter extension, registry type id, registry type name.
constexpr int kRegistryTypeIdField = 5;
constexpr int kRegistryTypeNameField = 6;

QString DocumentStringField(int field) {
    return AppStrings::Load(AppStrings::kDocumentString).split('\n').value(field);
}

// The bus daemon splits Exec= lines the way a POSIX shell would.
QString ShellQuoted(const QString& word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+=:,@%-]+$"));
    if (plain.match(word).hasMatch()) {
        return word;
    }
    QString quoted = word;
    quoted.replace('\'', QStringLiteral("'\\''"));
    return '\'' + quoted + '\'';
}

} // namespace

QString ClassRegistration::DocumentTypeId() {
    return DocumentStringField(kRegistryTypeIdField);
}

QString ClassRegistration::DocumentTypeName() {
    return DocumentStringField(kRegistryTypeNameField);
}

QString ClassRegistration::ActivationFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/dbus-1/services/") + DocumentTypeId() + QStringLiteral(".service");
}

QByteArray ClassRegistration::ActivationFileText(const QString& program) {
    return QStringLiteral("# %1, class %2\n"
                          "[D-BUS Service]\n"
                          "Name=%3\n"
                          "Exec=%4 /Automation\n")
        .arg(DocumentTypeName(), QLatin1String(kDocumentClassId), DocumentTypeId(),
             ShellQuoted(program))
        .toUtf8();
}

bool ClassRegistration::UpdateRegistry(QString* error) {
    const QString path = ActivationFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("Cannot create the folder of %1").arg(path);
        return false;
    }
    const QByteArray text = ActivationFileText(QCoreApplication::applicationFilePath());
    std::string why;
    if (!WriteOutputFile(QFile::encodeName(path).toStdString(), text.toStdString(), &why)) {
        *error = QString::fromLocal8Bit(why);
        return false;
    }
    return true;
}
