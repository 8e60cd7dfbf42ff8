#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

// The user's configuration folder (XDG_CONFIG_HOME) in a temporary folder while it lives, so a
// test reads and writes its own settings file, never the user's.
struct TemporarySettings {
    QTemporaryDir dir;
    bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    explicit TemporarySettings(const QString& folder = {})
    {
        qputenv("XDG_CONFIG_HOME", (folder.isEmpty() ? dir.path() : folder).toLocal8Bit());
    }
    ~TemporarySettings()
    {
        if (wasSet)
            qputenv("XDG_CONFIG_HOME", saved);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    QString path() const { return QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")); }
    QString filePath() const { return path() + QStringLiteral("/tessel/vellumo.ini"); }
};
