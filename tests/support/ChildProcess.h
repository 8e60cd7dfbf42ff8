#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <initializer_list>
#include <utility>

// Some behaviour is fixed when the application object starts (the locale, the screen's pixel
// ratio). A test of it runs itself again in a fresh process of this binary with the settings it
// needs; inChildProcess() tells the two runs apart.
inline bool inChildProcess()
{
    return qEnvironmentVariableIsSet("TESSEL_TEST_CHILD");
}

struct ChildResult {
    int exitCode = -1;
    QString output;
};

// Runs the current test in a child with these variables set (an empty value removes one).
inline ChildResult runCurrentTestInChild(std::initializer_list<std::pair<const char*, const char*>> variables)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSEL_TEST_CHILD"), QStringLiteral("1"));
    for (const auto& [name, value] : variables) {
        if (*value)
            env.insert(QString::fromUtf8(name), QString::fromUtf8(value));
        else
            env.remove(QString::fromUtf8(name));
    }
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromUtf8(info->test_suite_name()),
                                                             QString::fromUtf8(info->name()))});
    ChildResult result;
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        result.output = QStringLiteral("child did not finish");
        return result;
    }
    result.output = QString::fromUtf8(child.readAll());
    result.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return result;
}
