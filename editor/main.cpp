#include "editor/CommandLine.h"
#include "editor/Unit1.h"
#include "editor/Unit2.h"
#include "editor/UserGuide.h"
#include "toolkit/Application.h"
#include "toolkit/FileIconProvider.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {

// Qt aborts with a cryptic message when it finds no display; say what to do instead.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const CommandLine commandLine = parseCommandLine(arguments);
    switch (commandLine.action) {
    case CommandLine::Help:
        print(stdout, helpText());
        return 0;
    case CommandLine::Version:
        print(stdout, versionText());
        return 0;
    case CommandLine::Usage:
        print(stderr, QStringLiteral("tessel-editor: %1\n").arg(commandLine.error) + usageText());
        return 2;
    case CommandLine::Run:
        break;
    }

    if (!displayAvailable()) {
        std::fputs("tessel-editor: no display found (DISPLAY and WAYLAND_DISPLAY are empty); run it "
                   "on a desktop, under xvfb-run, or with QT_QPA_PLATFORM=offscreen\n",
                   stderr);
        return 2;
    }

    // Qt sees only the program's name: every argument was read above, and a file name must never
    // be taken for one of Qt's own options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // Wayland and the desktop find the entry, its icon and the metainfo by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(TESSEL_APP_ID));
    useTypeIconsEverywhere();
    loadPlatformTranslations();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/editor/icons/tessel-editor-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    setApplicationTitle(QStringLiteral("tessel vellumo"));
    const QFileInfo program(QCoreApplication::applicationFilePath());
    setApplicationHelpFile(program.absolutePath() + QLatin1Char('/') + program.completeBaseName()
                + QStringLiteral(".hlp"));
    setApplicationGuide(userGuideIndex(program.absolutePath()));

    TForm1 form;
    // No parent: the box centres itself on the screen, not on the main window.
    TAboutBox aboutBox;
    AboutBox = &aboutBox;
    form.show();
    if (!commandLine.file.isEmpty()) {
        // From the event loop, so the window is up before any message about the file.
        QTimer::singleShot(0, &form, [&form, file = commandLine.file] {
            runGuarded([&] { form.openFile(file); });
        });
    }
    const int result = app.exec();
    AboutBox = nullptr;
    return result;
}
