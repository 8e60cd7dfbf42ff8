// The built editor in a real X server: the window's client size and the default preview,
// read from a screenshot, a file named on the command line, and files dropped with a real pointer.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QString sourceDir()
{
    return QStringLiteral(TESSEL_SOURCE_DIR);
}

struct XvfbRun {
    QString out, err, serverLog;
    int exitCode = -1;
    // The values of the script's "NAME a b c" lines.
    QStringList line(const QString& name) const
    {
        for (const QString& l : out.split(QLatin1Char('\n'))) {
            QStringList f = l.split(QLatin1Char(' '));
            if (f.value(0) == name)
                return f.mid(1);
        }
        return {};
    }
};

// Runs one of the scripts beside this file with these arguments and this input in a fresh X server.
[[maybe_unused]] XvfbRun runInXvfb(const QString& script, const QStringList& arguments, const QByteArray& input = {})
{
    XvfbRun result;
    // A server that is gone before the editor connects (seen once under a heavily loaded
    // machine) is no fault of the editor: start a fresh one and try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // The server picks a free display itself and reports it, so two servers never race for one.
        QProcess server;
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                                              QStringLiteral("tcp")});
        if (!server.waitForStarted(30000))
            return result;
        QByteArray display;
        while (!display.contains('\n') && server.waitForReadyRead(30000))
            display += server.readAllStandardOutput();
        display = display.trimmed();
        if (display.isEmpty()) {
            result.serverLog = QString::fromUtf8(server.readAllStandardError());
            return result;
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the real X server, not the offscreen one
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(display));
        QProcess run;
        run.setProcessEnvironment(env);
        run.start(sourceDir() + QStringLiteral("/tests/editor/") + script, arguments);
        run.write(input);
        run.closeWriteChannel();
        const bool finished = run.waitForFinished(120000);
        server.terminate();
        server.waitForFinished(10000);
        result.out = QString::fromUtf8(run.readAllStandardOutput());
        result.err = QString::fromUtf8(run.readAllStandardError());
        result.serverLog = QString::fromUtf8(server.readAllStandardError());
        result.exitCode = finished ? run.exitCode() : -1;
        if (result.exitCode == 0 || !result.err.contains(QStringLiteral("could not connect to display")))
            break;
    }
    return result;
}

[[maybe_unused]] bool xvfbMissing()
{
    return QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty();
}

} // namespace

TEST(EndToEnd, EditorWindowInXvfbShowsTheDefaultSheet)
{
    if (xvfbMissing())
        GTEST_SKIP() << "Xvfb or xwininfo is not installed";
    QTemporaryDir dir;
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    const XvfbRun run = runInXvfb(QStringLiteral("show_in_xvfb.sh"), {QStringLiteral(TESSEL_EDITOR_PATH), shot});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString()
                               << "\nX server: " << run.serverLog.toStdString();

    const QStringList geometry = run.line(QStringLiteral("GEOMETRY"));
    ASSERT_EQ(geometry.size(), 4) << run.out.toStdString();
    const int x = geometry[0].toInt(), y = geometry[1].toInt(), w = geometry[2].toInt(), h = geometry[3].toInt();
    std::printf("start to shown window: %s ms (sanitizer build)\n",
                qPrintable(run.line(QStringLiteral("SHOWN_MS")).value(0)));
    ASSERT_GE(x, 0) << run.out.toStdString();
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
}

TEST(EndToEnd, TheFileOnTheCommandLineOpensInTheOneWindow)
{
    if (xvfbMissing())
        GTEST_SKIP() << "Xvfb or xwininfo is not installed";
    QTemporaryDir dir;
    // The script waits for the window whose caption names the file.
    const XvfbRun run = runInXvfb(QStringLiteral("show_in_xvfb.sh"),
                                  {QStringLiteral(TESSEL_EDITOR_PATH), dir.filePath(QStringLiteral("shot.png")),
                                   sourceDir() + QStringLiteral("/examples/labels.tpl")});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString()
                               << "\nX server: " << run.serverLog.toStdString();
    EXPECT_EQ(run.line(QStringLiteral("WINDOWS")), QStringList{QStringLiteral("1")}) << run.out.toStdString();
}

TEST(EndToEnd, OnlyOneLocalFileDroppedOutsideTheEntryFieldsIsOpened)
{
    if (xvfbMissing() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "Xvfb, xwininfo or xdotool is not installed";
    QTemporaryDir dir;
    const QString tpl = QUrl::fromLocalFile(sourceDir() + QStringLiteral("/examples/labels.tpl")).toString();
    const QString folder = QUrl::fromLocalFile(dir.path()).toString();
    const QString caption = QStringLiteral("Tesselラベルエディター");
    // One editor takes the drops in turn, at points of its client area; only the last one opens.
    const struct {
        const char* label;
        QString drop;
        QString captionAfter;
    } rows[] = {
        {"two files", QStringLiteral("120 200 %1 %1").arg(tpl), caption},
        {"a folder", QStringLiteral("120 200 %1").arg(folder), caption},
        {"an http URL", QStringLiteral("120 200 http://example.com/labels.tpl"), caption},
        {"onto a number field", QStringLiteral("420 143 %1").arg(tpl), caption},
        {"onto the group-name box", QStringLiteral("60 18 %1").arg(tpl), caption},
        {"onto a spin field", QStringLiteral("80 398 %1").arg(tpl), caption},
        {"one template onto the preview", QStringLiteral("120 200 %1").arg(tpl), caption + QStringLiteral(":labels.tpl")},
    };
    QByteArray input;
    for (const auto& row : rows)
        input += row.drop.toUtf8() + '\n';
    const XvfbRun run = runInXvfb(QStringLiteral("drop_in_xvfb.sh"),
                                  {QStringLiteral(TESSEL_EDITOR_PATH), QStringLiteral(DRAG_SOURCE_PATH)}, input);
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    QStringList titles;
    for (const QString& l : run.out.split(QLatin1Char('\n')))
        if (l.startsWith(QStringLiteral("TITLE ")))
            titles << l.mid(6);
    ASSERT_EQ(titles.size(), qsizetype(std::size(rows))) << run.out.toStdString();
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(titles[qsizetype(i)].toStdString(), rows[i].captionAfter.toStdString()) << rows[i].label;
}
