#pragma once

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
};

// Parses the arguments after the program name. Switches start with '/' or '-' and
// are matched in any case; the one other argument is a file to open.
CommandLineInfo ParseCommandLine(const QStringList& arguments);
