#include "gui/CommandLineInfo.h"

#include <functional>
#include <string>

namespace {

// An option that takes a value: `apply` stores it and returns false when it is bad;
// `expected` then says what is wanted, in the runner's words.
struct ValueOption {
    const char* name;
    const char* value;
    const char* expected;
    std::function<bool(CommandLineInfo&, const std::string&)> apply;
};

template <typename T>
std::function<bool(CommandLineInfo&, const std::string&)>
LimitSlot(std::optional<Limit<T>> LimitOptions::*slot,
          std::optional<Limit<T>> (*parse)(const std::string&)) {
    return [slot, parse](CommandLineInfo& info, const std::string& text) {
        info.limits.*slot = parse(text);
        return (info.limits.*slot).has_value();
    };
}

const std::vector<ValueOption>& ValueOptions() {
    static const std::vector<ValueOption> options = {
        {"sim-fault", "FAULT", kSensorFaultSyntax,
         [](CommandLineInfo& info, const std::string& text) {
             std::string error;
             const std::optional<SensorFault> fault = ParseSensorFault(text, &error);
             if (fault) {
                 info.simulator.faults.push_back(*fault);
             }
             return fault.has_value();
         }},
        {"max-avg-deviation", "X", "a number from 0 up",
         LimitSlot(&LimitOptions::maxAvgDeviation, &ParseRealLimit)},
        {"max-swing", "N", "a whole number from 0 to 255",
         LimitSlot(&LimitOptions::maxSwing, &ParseWholeLimit)},
        {"max-sensor-rms", "X", "a number from 0 up",
         LimitSlot(&LimitOptions::maxSensorRms, &ParseRealLimit)},
        {"max-sensor-swing", "N", "a whole number from 0 to 255",
         LimitSlot(&LimitOptions::maxSensorSwing, &ParseWholeLimit)},
    };
    return options;
}

// The name an argument gives after its '/', '-' or '--', in lower case and without
// any "=value"; empty for an argument that is no switch.
QString ArgumentName(const QString& argument) {
    if (argument.size() < 2 || !(argument.startsWith('/') || argument.startsWith('-'))) {
        return QString();
    }
    const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    return name.section('=', 0, 0).toLower();
}

// The switch an argument names ("/Automation", "-embedding", "--version", ...), or
// an empty text when it names none.
QString SwitchName(const QString& argument) {
    static const QStringList known = {
        QStringLiteral("automation"), QStringLiteral("embedding"), QStringLiteral("demo"),
        QStringLiteral("echo-log"),   QStringLiteral("sim-still"), QStringLiteral("version"),
        QStringLiteral("help"),       QStringLiteral("h"),         QStringLiteral("?")};
    const QString name = ArgumentName(argument);
    return known.contains(name) && !argument.contains('=') ? name : QString();
}

const ValueOption* FindValueOption(const QString& argument) {
    const QString name = ArgumentName(argument);
    for (const ValueOption& option : ValueOptions()) {
        if (name == QLatin1String(option.name)) {
            return &option;
        }
    }
    return nullptr;
}

CommandLineInfo Refused(CommandLineInfo info, const QString& error) {
    info.shell = CommandLineInfo::Shell::Error;
    info.error = error;
    return info;
}

} // namespace

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
    CommandLineInfo info;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QString name = SwitchName(argument);
        if (const ValueOption* option = FindValueOption(argument)) {
            const QString given = QStringLiteral("--%1").arg(QLatin1String(option->name));
            const qsizetype equals = argument.indexOf('=');
            QString value;
            if (equals >= 0) {
                value = argument.mid(equals + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                return Refused(info, QStringLiteral("option '%1' needs a value (%2)")
                                         .arg(given, QLatin1String(option->value)));
            }
            if (!option->apply(info, value.toStdString())) {
                return Refused(info, QStringLiteral("bad value '%1' for '%2': expected %3")
                                         .arg(value, given, QLatin1String(option->expected)));
            }
        } else if (name == QStringLiteral("automation")) {
            info.shell = CommandLineInfo::Shell::Automation;
        } else if (name == QStringLiteral("embedding")) {
            info.shell = CommandLineInfo::Shell::Embedding;
        } else if (name == QStringLiteral("demo")) {
            info.demo = true;
        } else if (name == QStringLiteral("echo-log")) {
            info.echoLog = true;
        } else if (name == QStringLiteral("sim-still")) {
            info.simulator.still = true;
        } else if (name == QStringLiteral("version")) {
            info.shell = CommandLineInfo::Shell::Version;
            return info;
        } else if (!name.isEmpty()) {
            info.shell = CommandLineInfo::Shell::Help;
            return info;
        } else if (argument.contains('=') && !SwitchName(argument.section('=', 0, 0)).isEmpty()) {
            return Refused(
                info, QStringLiteral("option '--%1' takes no value").arg(ArgumentName(argument)));
        } else if (argument.startsWith('-')) {
            return Refused(info, QStringLiteral("unknown option: %1").arg(argument));
        } else if (!info.fileName.isEmpty()) {
            return Refused(
                info, QStringLiteral("only one file can be opened, got also: %1").arg(argument));
        } else {
            info.fileName = argument;
            if (info.shell == CommandLineInfo::Shell::FileNew) {
                info.shell = CommandLineInfo::Shell::FileOpen;
            }
        }
    }
    return info;
}
