#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// The usage text of every command, on standard output for --help.
void printUsage();
// "tpltool: why" and the usage on standard error; returns the usage status.
int usageError(const QString& why);

// The words after a command's name, read by Qt's parser with that command's options.
class CommandWords {
public:
    explicit CommandWords(const QList<QCommandLineOption>& options = {});

    // False, after saying why and printing the usage, when the words do not fit the command: an
    // unknown option, an option without its value, too few or too many other words.
    bool parse(const QStringList& words, qsizetype minPositional, qsizetype maxPositional = -1);

    QStringList positional() const { return FParser.positionalArguments(); }
    bool isSet(const QString& option) const { return FParser.isSet(option); }
    QString value(const QString& option) const { return FParser.value(option); }
    QStringList values(const QString& option) const { return FParser.values(option); }

private:
    QCommandLineParser FParser;
};

// The option that names styles by number or name, repeatable.
QCommandLineOption styleOption();
