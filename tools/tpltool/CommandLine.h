#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QGuiApplication;

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

// A number as typed on a command line; "." only, so a script's locale cannot change it.
std::optional<double> number(const QString& text);

// Text needs the font database of a GUI application; no window is ever shown. One of its own
// unless the caller made the application already (it must be a GUI one); Qt's notes about the
// session are not the user's business, only its failures are said.
class GuiSession {
public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

private:
    QGuiApplication* FApplication = nullptr;
};
