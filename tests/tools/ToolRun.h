#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolRun {
    int status; // -1 when the program crashed
    QString out;
    QString err;
};

// A program with these arguments, run to its end; with home, as a user whose home that is (gLabels
// and LibreOffice then read and write their own files there).
inline ToolRun run(const QString& program, const QStringList& args, const QString& home = {})
{
    QProcess p;
    if (!home.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    p.waitForFinished(-1);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// The built tpltool with these arguments, run to its end.
inline ToolRun tpltool(const QStringList& args)
{
    return run(QStringLiteral(TPLTOOL_PATH), args);
}
