#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

// Every test binary runs with a QApplication so widget tests and non-widget tests share one main.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The machine's printers are none of a test's business: CUPS (read once, at its first use)
    // is pointed at a socket in a folder that does not exist, so every test starts with no
    // printer. The print-queue tests turn to the scheduler scripts/test starts (PrintQueue.h).
    qputenv("CUPS_SERVER", QDir(QDir::tempPath())
                               .filePath(QStringLiteral("tessel-no-printers-%1/cups.sock")
                                             .arg(QCoreApplication::applicationPid()))
                               .toLocal8Bit());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
