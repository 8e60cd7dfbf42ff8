#pragma once

#include <QString>
#include <QStringList>

// What the editor's command line asks for: tessel-editor [--help | --version | FILE].
struct CommandLine {
    enum Action { Run, Help, Version, Usage };
    Action action = Run;
    QString file;  // Run: the file to open once the window is shown; empty for none
    QString error; // Usage: what was wrong, for standard error
};

// The arguments after the program's name.
CommandLine parseCommandLine(const QStringList& arguments);

QString usageText();
QString helpText();
QString versionText();
