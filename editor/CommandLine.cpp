#include "editor/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-abc" is one unknown option; "-" alone is a file name, and so is everything after "--".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version});

    CommandLine result;
    // The parser skips its first word, the program's name.
    const bool parsed = parser.parse(QStringList{QStringLiteral("tessel-editor")} + arguments);
    if (parser.isSet(help)) {
        result.action = CommandLine::Help;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Version;
        return result;
    }
    if (!parsed) {
        result.action = CommandLine::Usage;
        result.error = parser.errorText();
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.action = CommandLine::Usage;
        result.error = QStringLiteral("only one file can be opened, %1 were given").arg(files.size());
        return result;
    }
    result.file = files.value(0);
    return result;
}

QString usageText()
{
    return QStringLiteral("usage: tessel-editor [FILE]\n");
}

QString helpText()
{
    return usageText()
        + QStringLiteral("Edits label-sheet templates (.tpl); opens FILE when one is given.\n"
                         "  -h, --help  print this text and exit\n"
                         "  --version   print the version and exit\n");
}

QString versionText()
{
    return QStringLiteral("tessel-editor " TESSEL_VERSION "\n");
}
