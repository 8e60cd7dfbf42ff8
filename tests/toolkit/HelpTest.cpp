#include "toolkit/Application.h"
#include "toolkit/Help.h"
#include "ModalCatcher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Help, ShowsAnExistingFileAndNamesAMissingOrUnopenableOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString present = dir.filePath("tessel.hlp");
    QFile file(present);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString absent = dir.filePath("missing.hlp");

    const struct { const char* name; QString helpFile; bool opens; int openCalls; QString message; } rows[] = {
        {"present", present, true, 1, {}},
        {"missing", absent, true, 0, QDir::toNativeSeparators(absent)},
        {"viewer fails", present, false, 1, QDir::toNativeSeparators(present)},
        {"none set", QString(), true, 0, "ヘルプファイルが指定されていません。"},
    };
    const QString oldTitle = applicationTitle();
    setApplicationTitle("tessel vellumo");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QList<QUrl> opened;
        setHelpOpener([&](const QUrl& url) {
            opened << url;
            return row.opens;
        });
        setApplicationHelpFile(row.helpFile);
        ModalCatcher catcher;
        ShowHelpContents();
        CloseHelp();
        EXPECT_EQ(opened.size(), row.openCalls);
        if (!opened.isEmpty()) {
            EXPECT_EQ(opened[0], QUrl::fromLocalFile(present));
        }
        if (row.message.isEmpty()) {
            EXPECT_TRUE(catcher.Texts.isEmpty());
        } else {
            ASSERT_EQ(catcher.Texts.size(), 1);
            EXPECT_TRUE(catcher.Texts[0].contains(row.message)) << catcher.Texts[0].toStdString();
            EXPECT_EQ(catcher.Titles[0], "tessel vellumo");
        }
    }
    setHelpOpener({});
    setApplicationHelpFile({});
    setApplicationTitle(oldTitle);
}
