// The manual pages keep up with the programs: every command that --help lists has its paragraph,
// and none that is gone; every option --help names is described.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {

struct Words {
    QSet<QString> commands;
    QSet<QString> options;
};

std::string sorted(const QSet<QString>& words)
{
    QStringList list(words.begin(), words.end());
    list.sort();
    return list.join(QLatin1Char(' ')).toStdString();
}

// "-h", "--style": a dash that does not continue a word ("tessel-editor"), then a letter.
QSet<QString> optionsIn(const QString& text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])(--?[a-z][a-z-]*)"));
    QSet<QString> found;
    for (const QRegularExpressionMatch& m : option.globalMatch(text))
        found.insert(m.captured(1));
    return found;
}

// A command is the word after the program's name at the start of a usage line.
Words helpWords(const QString& help, const QString& program)
{
    const QRegularExpression command(QStringLiteral("^\\s*(?:usage:\\s*)?%1\\s+([a-z][a-z-]*)")
                                         .arg(QRegularExpression::escape(program)),
                                     QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    Words words;
    for (const QRegularExpressionMatch& m : command.globalMatch(help))
        words.commands.insert(m.captured(1));
    words.options = optionsIn(help);
    return words;
}

// The tags of the tagged paragraphs (.TP) of the COMMANDS and OPTIONS sections.
Words pageWords(QString roff, const QString& program)
{
    roff.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    roff.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
    const QRegularExpression command(QStringLiteral("%1\\s+([a-z][a-z-]*)").arg(QRegularExpression::escape(program)));
    Words words;
    QString section;
    bool tagNext = false;
    for (const QString& line : roff.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String(".SH "))) {
            section = line.mid(4).remove(QLatin1Char('"')).trimmed();
        } else if (line.startsWith(QLatin1String(".TP"))) {
            tagNext = true;
            continue;
        } else if (tagNext && section == QLatin1String("COMMANDS")) {
            if (const QRegularExpressionMatch m = command.match(line); m.hasMatch())
                words.commands.insert(m.captured(1));
        } else if (tagNext && section == QLatin1String("OPTIONS")) {
            words.options.unite(optionsIn(line));
        }
        tagNext = false;
    }
    return words;
}

} // namespace

TEST(ManualPages, ListTheCommandsAndOptionsThatHelpLists)
{
    const struct {
        const char* program;
        const char* path;
        bool hasCommands;
    } rows[] = {
        {"tpltool", TPLTOOL_PATH, true},
        {"tessel-editor", TESSEL_EDITOR_PATH, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program);
        const QString program = QString::fromLatin1(row.program);
        QFile page(QStringLiteral(TESSEL_SOURCE_DIR "/docs/man/%1.1").arg(program));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << page.fileName().toStdString();
        const Words documented = pageWords(QString::fromUtf8(page.readAll()), program);

        QProcess process;
        // --help answers before any window or display is needed.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(QString::fromUtf8(row.path), {QStringLiteral("--help")});
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0);
        const Words listed = helpWords(QString::fromUtf8(process.readAllStandardOutput()), program);

        EXPECT_EQ(!listed.commands.isEmpty(), row.hasCommands) << sorted(listed.commands);
        EXPECT_EQ(sorted(documented.commands), sorted(listed.commands));
        ASSERT_FALSE(listed.options.isEmpty());
        QSet<QString> undocumented = listed.options;
        undocumented.subtract(documented.options);
        EXPECT_TRUE(undocumented.isEmpty()) << "not in the page's OPTIONS: " << sorted(undocumented);
    }
}
