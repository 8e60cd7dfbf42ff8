#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int status; // -1 when the tool crashed
    QString out;
    QString err;
};

// The built tpltool with these arguments, run to its end.
inline ToolRun tpltool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TPLTOOL_PATH), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
