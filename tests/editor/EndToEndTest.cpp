// The built editor in a real X server: the window's client size and the default preview,
// read from a screenshot.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString sourceDir()
{
    const QString fromEnv = qEnvironmentVariable("TESSEL_SOURCE_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(TESSEL_SOURCE_DIR_FALLBACK) : fromEnv;
}

} // namespace

TEST(EndToEnd, EditorWindowInXvfbShowsTheDefaultSheet)
{
#ifndef TESSEL_EDITOR_PATH
    GTEST_SKIP() << "the editor program is not part of this build";
#else
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
        GTEST_SKIP() << "Xvfb or xwininfo is not installed";
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("shot.png"));

    QString out, err, serverLog;
    int exitCode = -1;
    // A server that is gone before the editor connects (seen once under a heavily loaded
    // machine) is no fault of the editor: start a fresh one and try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // The server picks a free display itself and reports it, so two servers never race for one.
        QProcess server;
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp")});
        ASSERT_TRUE(server.waitForStarted(30000));
        QByteArray display;
        while (!display.contains('\n') && server.waitForReadyRead(30000))
            display += server.readAllStandardOutput();
        display = display.trimmed();
        ASSERT_FALSE(display.isEmpty()) << server.readAllStandardError().toStdString();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the real X server, not the offscreen one
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display));
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(sourceDir() + QStringLiteral("/tests/editor/show_in_xvfb.sh"),
                  {QStringLiteral(TESSEL_EDITOR_PATH), shot});
        const bool finished = run.waitForFinished(120000);
        server.terminate();
        server.waitForFinished(10000);
        ASSERT_TRUE(finished);
        out = QString::fromUtf8(run.readAllStandardOutput());
        err = QString::fromUtf8(run.readAllStandardError());
        serverLog = QString::fromUtf8(server.readAllStandardError());
        exitCode = run.exitCode();
        if (exitCode == 0 || !err.contains(QStringLiteral("could not connect to display")))
            break;
    }
    ASSERT_EQ(exitCode, 0) << out.toStdString() << err.toStdString() << "\nX server: " << serverLog.toStdString();

    int x = -1, y = -1, w = -1, h = -1;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QStringList f = line.split(QLatin1Char(' '));
        if (f.value(0) == QStringLiteral("GEOMETRY") && f.size() == 5) {
            x = f[1].toInt();
            y = f[2].toInt();
            w = f[3].toInt();
            h = f[4].toInt();
        }
        if (f.value(0) == QStringLiteral("SHOWN_MS"))
            std::printf("start to shown window: %s ms (sanitizer build)\n", qPrintable(f.value(1)));
    }
    ASSERT_GE(x, 0) << out.toStdString();
    const QImage image(shot);
    ASSERT_FALSE(image.isNull());

    // The client area is 507 x 434 under the menu bar; the window has no other decoration here.
    EXPECT_EQ(w, 507);
    const int menu = h - 434;
    EXPECT_GT(menu, 10);
    EXPECT_LT(menu, 60);

    // The default sheet: rectangle (25, 5, 223, 285) on the preview at (8, 64) of the client area.
    const int ox = x + 8, oy = y + menu + 64;
    auto at = [&](int px, int py) { return QColor(image.pixel(ox + px, oy + py)); };
    struct Probe {
        int px, py;
        QColor colour;
    };
    const Probe probes[] = {
        {25, 5, Qt::black},   {222, 5, Qt::black},   {25, 284, Qt::black}, {222, 284, Qt::black},
        {24, 5, Qt::white},   {25, 4, Qt::white},    {223, 284, Qt::white}, {222, 285, Qt::white},
        {38, 15, Qt::blue},   {124, 15, Qt::blue},   {209, 67, Qt::blue},  {124, 274, Qt::blue},
        {0, 0, Qt::black},    {248, 288, Qt::white},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(at(p.px, p.py), p.colour) << "preview pixel " << p.px << "," << p.py;
#endif
}
