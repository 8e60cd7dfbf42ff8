#include "editor/UserGuide.h"

#include "toolkit/Application.h"
#include "toolkit/Help.h"
#include "EditorTestSupport.h"
#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

namespace {

QString sourceGuide()
{
    return QDir(QStringLiteral(TESSEL_SOURCE_DIR)).filePath(QStringLiteral("docs/guide/index.html"));
}

} // namespace

TEST(UserGuide, FoundInstalledBesideTheProgramOrInTheSourcesFromABuildTree)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin") && QDir(prefix.path()).mkpath("share/doc/tessel-editor"));
    const QString installed = prefix.filePath("share/doc/tessel-editor/index.html");
    writeFile(installed, "<html></html>");
    QTemporaryDir bare;
    ASSERT_TRUE(QDir(bare.path()).mkpath("bin"));

    const struct { const char* name; QString programDir; QString expected; } rows[] = {
        {"installed", prefix.filePath("bin"), QFileInfo(installed).absoluteFilePath()},
        {"build tree", QCoreApplication::applicationDirPath(), QFileInfo(sourceGuide()).absoluteFilePath()},
        // An installed program never reaches into a checkout left on the machine.
        {"installed without a guide", bare.filePath("bin"), QString()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(userGuideIndex(row.programDir), row.expected) << row.name;
}

TEST(UserGuide, ContentsCommandOpensTheGuideWhenTheHelpFileIsMissing)
{
    QTemporaryDir dir;
    setApplicationHelpFile(dir.filePath("tessel-editor.hlp"));
    setApplicationGuide(userGuideIndex(QCoreApplication::applicationDirPath()));
    QList<QUrl> opened;
    setHelpOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    auto form = newWindow();
    emit form->Help1->aboutToShow();
    ModalCatcher catcher;
    form->Contents1->trigger();
    EXPECT_TRUE(catcher.Texts.isEmpty());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QFileInfo(sourceGuide()).absoluteFilePath()));
    setHelpOpener({});
    setApplicationHelpFile({});
    setApplicationGuide({});
}
