#pragma once

#include "sim/SimulatorOptions.h"
#include "stats/LimitVerdict.h"

#include <QString>
#include <QStringList>

// What the command line asks for.
struct CommandLineInfo {
    enum class Shell { FileNew, FileOpen, Automation, Embedding, Version, Help, Error };

    Shell shell = Shell::FileNew;
    QString fileName;
    QString error;
    // Open the QZ4 Simulator both ways, fetch its setup and start polling.
    bool demo = false;
    // Also write every Message log line to standard output once it is complete.
    bool echoLog = false;
    // How the built-in QZ4 Simulator behaves (its faults, its keys kept still).
    SimulatorOptions simulator;
    // Limits for this run only: each one given replaces the profile's, which stays as it is.
    LimitOptions limits;
};

// Parses the arguments after the program name. Switches start with '/' or '-' and
// are matched in any case; an option's value follows it, or its '='. The one other
// argument is a file to open.
CommandLineInfo ParseCommandLine(const QStringList& arguments);
