// What the desktop sees of the editor: its command line and the installed MIME type.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

QString sourceDir()
{
    return QStringLiteral(TESSEL_SOURCE_DIR);
}

struct Ran {
    int exitCode = -1;
    QString out, err;
};

Ran runProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    Ran ran;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return ran;
    }
    ran.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = QString::fromUtf8(process.readAllStandardOutput());
    ran.err = QString::fromUtf8(process.readAllStandardError());
    return ran;
}

} // namespace

TEST(Desktop, CommandLineOptionsAnswerWithoutAWindow)
{
    // No display at all: a window would fail to start, so an answer proves none was made.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const struct {
        QStringList arguments;
        int exitCode;
        const char* out; // what standard output must contain; empty: nothing at all
        const char* err;
    } rows[] = {
        {{"--help"}, 0, "usage: tessel-editor [FILE]", ""},
        {{"--version"}, 0, "tessel-editor 0.91", ""},
        {{"--bogus"}, 2, "", "usage: tessel-editor [FILE]"},
        {{"a.tpl", "b.tpl"}, 2, "", "usage: tessel-editor [FILE]"},
        {{"a.tpl", "--help"}, 0, "usage: tessel-editor [FILE]", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        const Ran ran = runProgram(QStringLiteral(TESSEL_EDITOR_PATH), row.arguments, env);
        EXPECT_EQ(ran.exitCode, row.exitCode) << ran.err.toStdString();
        for (const auto& [text, expected] : {std::pair{ran.out, row.out}, std::pair{ran.err, row.err}}) {
            if (*expected)
                EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << text.toStdString();
            else
                EXPECT_TRUE(text.isEmpty()) << text.toStdString();
        }
    }
}

TEST(Desktop, TheInstalledMimeTypeKnowsTemplatesByTheirFirstBytes)
{
    for (const char* tool : {"xdg-mime", "update-mime-database", "mimetype", "gio", "desktop-file-validate"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("prefix"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    Ran ran = runProgram(QStringLiteral(TESSEL_CMAKE_COMMAND),
                         {QStringLiteral("--install"), QStringLiteral(TESSEL_BINARY_DIR), QStringLiteral("--prefix"),
                          prefix, QStringLiteral("--component"), QStringLiteral("desktop")},
                         env);
    ASSERT_EQ(ran.exitCode, 0) << ran.out.toStdString() << ran.err.toStdString();
    ran = runProgram(QStringLiteral("update-mime-database"), {prefix + QStringLiteral("/share/mime")}, env);
    ASSERT_EQ(ran.exitCode, 0) << ran.err.toStdString();
    ran = runProgram(QStringLiteral("desktop-file-validate"),
                     {prefix + QStringLiteral("/share/applications/" TESSEL_APP_ID ".desktop")}, env);
    EXPECT_EQ(ran.exitCode, 0) << ran.out.toStdString() << ran.err.toStdString();

    const QString files = dir.filePath(QStringLiteral("files"));
    QDir().mkpath(files);
    QFile text(files + QStringLiteral("/x.tpl"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("label sheet notes, not a template\n");
    text.close();
    ASSERT_TRUE(QFile::copy(sourceDir() + QStringLiteral("/examples/labels.tpl"), files + QStringLiteral("/real.bin")));
    ASSERT_TRUE(QFile::copy(sourceDir() + QStringLiteral("/examples/labels.tpl"), files + QStringLiteral("/real.tpl")));

    // Only the prefix and the system's own types: nothing of the user's.
    env.insert(QStringLiteral("XDG_DATA_DIRS"), prefix + QStringLiteral("/share:/usr/share"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("home")));
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
        env.remove(QString::fromLatin1(name));
    const QString tpl = QStringLiteral("application/x-tessel-template");
    const struct {
        const char* file;
        bool claimed;
    } rows[] = {{"x.tpl", false}, {"real.bin", true}, {"real.tpl", true}};
    // xdg-mime asks a different reader of the database on a plain desktop and on GNOME.
    for (const char* desktop : {"", "GNOME"}) {
        QProcessEnvironment here = env;
        if (*desktop)
            here.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QString::fromLatin1(desktop));
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(*desktop ? desktop : "plain") + ": " + row.file);
            ran = runProgram(QStringLiteral("xdg-mime"),
                             {QStringLiteral("query"), QStringLiteral("filetype"),
                              files + QLatin1Char('/') + QString::fromLatin1(row.file)},
                             here);
            ASSERT_EQ(ran.exitCode, 0) << ran.err.toStdString();
            EXPECT_EQ(ran.out.trimmed() == tpl, row.claimed) << ran.out.toStdString();
        }
    }
}
