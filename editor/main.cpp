#include "editor/Unit1.h"
#include "editor/Unit2.h"
#include "editor/UserGuide.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>

namespace {

// Qt aborts with a cryptic message when it finds no display; say what to do instead.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fputs("tessel-editor: no display found (DISPLAY and WAYLAND_DISPLAY are empty); run it "
                   "on a desktop, under xvfb-run, or with QT_QPA_PLATFORM=offscreen\n",
                   stderr);
        return 2;
    }

    QApplication app(argc, argv);
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
    const int result = app.exec();
    AboutBox = nullptr;
    return result;
}
