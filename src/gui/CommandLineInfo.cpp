#include "gui/CommandLineInfo.h"

namespace {

// The switch an argument names ("/Automation", "-embedding", "--version", ...), or
// an empty text when it names none.
QString SwitchName(const QString& argument) {
    if (argument.size() < 2 || !(argument.startsWith('/') || argument.startsWith('-'))) {
        return QString();
    }
    const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1).toLower();
    static const QStringList known = {QStringLiteral("automation"), QStringLiteral("embedding"),
                                      QStringLiteral("demo"),       QStringLiteral("echo-log"),
                                      QStringLiteral("version"),    QStringLiteral("help"),
                                      QStringLiteral("h"),          QStringLiteral("?")};
    return known.contains(name) ? name : QString();
}

} // namespace

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
    CommandLineInfo info;
    for (const QString& argument : arguments) {
        const QString name = SwitchName(argument);
        if (name == QStringLiteral("automation")) {
            info.shell = CommandLineInfo::Shell::Automation;
        } else if (name == QStringLiteral("embedding")) {
            info.shell = CommandLineInfo::Shell::Embedding;
        } else if (name == QStringLiteral("demo")) {
            info.demo = true;
        } else if (name == QStringLiteral("echo-log")) {
            info.echoLog = true;
        } else if (name == QStringLiteral("version")) {
            info.shell = CommandLineInfo::Shell::Version;
            return info;
        } else if (!name.isEmpty()) {
            info.shell = CommandLineInfo::Shell::Help;
            return info;
        } else if (argument.startsWith('-')) {
            info.shell = CommandLineInfo::Shell::Error;
            info.error = QStringLiteral("unknown option: %1").arg(argument);
            return info;
        } else if (!info.fileName.isEmpty()) {
            info.shell = CommandLineInfo::Shell::Error;
            info.error = QStringLiteral("only one file can be opened, got also: %1").arg(argument);
            return info;
        } else {
            info.fileName = argument;
            if (info.shell == CommandLineInfo::Shell::FileNew) {
                info.shell = CommandLineInfo::Shell::FileOpen;
            }
        }
    }
    return info;
}
