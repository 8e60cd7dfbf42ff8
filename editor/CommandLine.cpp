#include "editor/CommandLine.h"

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    QStringList files;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        // "-" alone is a file name, and so is everything after "--".
        if (optionsEnded || argument.size() < 2 || !argument.startsWith(QLatin1Char('-'))) {
            files << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            result.action = CommandLine::Help;
            return result;
        } else if (argument == QLatin1String("--version")) {
            result.action = CommandLine::Version;
            return result;
        } else {
            result.action = CommandLine::Usage;
            result.error = QStringLiteral("unknown option '%1'").arg(argument);
            return result;
        }
    }
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
                         "  --help     print this text and exit\n"
                         "  --version  print the version and exit\n");
}

QString versionText()
{
    return QStringLiteral("tessel-editor " TESSEL_VERSION "\n");
}
