#include "editor/UserGuide.h"

#include <QDir>
#include <QFileInfo>

QString userGuideIndex(const QString& programDir)
{
    const QDir dir(programDir);
    const QFileInfo installed(dir.filePath(QStringLiteral(TESSEL_GUIDE_FROM_BINDIR "/index.html")));
    if (installed.isFile())
        return installed.absoluteFilePath();

    // Only a program inside the build tree may reach into the sources: an installed copy must
    // not depend on a checkout that happens to be left on the machine.
    const QString build = QDir(QStringLiteral(TESSEL_BUILD_DIR)).canonicalPath();
    const QString here = dir.canonicalPath();
    if (build.isEmpty() || here.isEmpty() || !(here == build || here.startsWith(build + QLatin1Char('/'))))
        return {};
    const QFileInfo source(QStringLiteral(TESSEL_SOURCE_DIR "/docs/guide/index.html"));
    return source.isFile() ? source.absoluteFilePath() : QString();
}
