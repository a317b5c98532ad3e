#include "render/FileIo.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

namespace {

std::string Describe(const char* what, const std::string& path, const QString& why) {
    return std::string(what) + " '" + path + "': " + why.toStdString();
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Describe("can't read", path, file.errorString());
        return false;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = Describe("can't read", path, file.errorString());
        return false;
    }
    bytes->assign(content.constData(), static_cast<size_t>(content.size()));
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = Describe("can't write", path, file.errorString());
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    // A write error that shows only while the buffer is flushed (a full disk) is not
    // always reported by commit(), which would then put an empty file in place of the
    // old one: flush first.
    if (file.write(bytes.data(), size) != size || !file.flush() || !file.commit()) {
        *error = Describe("can't write", path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool CanWriteFile(const std::string& path, std::string* error) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = Describe("can't write", path, file.errorString());
        return false;
    }
    file.cancelWriting();
    return true;
}
