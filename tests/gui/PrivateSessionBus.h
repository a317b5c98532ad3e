#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QThread>

#include <csignal>
#include <sys/types.h>

// For processes that are not the test's children (the forked daemon, programs it
// activates): an ended one that its parent has not reaped yet counts as ended.
inline bool ProcessRunning(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray text = stat.readAll();
    const qsizetype nameEnd = text.lastIndexOf(')');
    return nameEnd >= 0 && text.mid(nameEnd + 2, 1) != "Z";
}

// A session bus of the test's own. Activation looks for service files in
// `serviceFolder`, and activated programs inherit `environment`.
class PrivateSessionBus {
public:
    PrivateSessionBus() = default;
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
    ~PrivateSessionBus() {
        if (m_pid <= 0) {
            return;
        }
        ::kill(static_cast<pid_t>(m_pid), SIGTERM);
        // The daemon removes its socket while it ends; the folder must outlive that.
        for (int i = 0; i < 250 && ProcessRunning(m_pid); ++i) {
            QThread::msleep(20);
        }
    }

    // False, with `error` set, when the daemon can't be started.
    bool Start(const QString& folder, const QString& serviceFolder,
               const QProcessEnvironment& environment, QString* error) {
        const QString config = folder + QStringLiteral("/bus.conf");
        QFile file(config);
        if (!QDir().mkpath(serviceFolder) || !file.open(QIODevice::WriteOnly)) {
            *error = QStringLiteral("cannot write ") + config;
            return false;
        }
        file.write(QStringLiteral(
                       "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                       "1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig>\n"
                       "  <type>session</type>\n"
                       "  <listen>unix:dir=%1</listen>\n"
                       "  <auth>EXTERNAL</auth>\n"
                       "  <servicedir>%2</servicedir>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                       "    <allow eavesdrop=\"true\"/>\n"
                       "    <allow own=\"*\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n")
                       .arg(folder, serviceFolder)
                       .toUtf8());
        file.close();

        QProcess daemon;
        daemon.setProcessEnvironment(environment);
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config, QStringLiteral("--fork"),
                      QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
        if (!daemon.waitForFinished(10000) || daemon.exitCode() != 0) {
            *error = QStringLiteral("dbus-daemon did not start: ") + daemon.errorString() + ' ' +
                     QString::fromLocal8Bit(daemon.readAllStandardError());
            return false;
        }
        const QStringList lines =
            QString::fromLocal8Bit(daemon.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        if (lines.size() != 2) {
            *error = QStringLiteral("dbus-daemon printed no address and pid");
            return false;
        }
        m_address = lines[0];
        m_pid = lines[1].toLongLong();
        return true;
    }

    const QString& Address() const { return m_address; }

private:
    QString m_address;
    qint64 m_pid = 0;
};
