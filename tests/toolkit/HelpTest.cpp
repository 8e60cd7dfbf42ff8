#include "toolkit/Help.h"

#include "toolkit/Application.h"
#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

TEST(Help, ShowsTheHelpFileOrElseTheGuideAndNamesAMissingOrUnopenableOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString present = dir.filePath("tessel.hlp");
    const QString guide = dir.filePath("index.html");
    for (const QString& name : {present, guide}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString absent = dir.filePath("missing.hlp");
    const QString noGuide = dir.filePath("nothing.html");

    const struct {
        const char* name;
        QString helpFile;
        QString guide;
        bool opens;
        QString opened;
        QString message;
    } rows[] = {
        {"present", present, guide, true, present, {}},
        {"missing, guide shown", absent, guide, true, guide, {}},
        {"missing, no guide", absent, noGuide, true, {}, QDir::toNativeSeparators(absent)},
        {"missing, none known", absent, {}, true, {}, QDir::toNativeSeparators(absent)},
        {"viewer fails", present, guide, false, present, QDir::toNativeSeparators(present)},
        {"browser fails", absent, guide, false, guide, QDir::toNativeSeparators(guide)},
        {"none set, guide shown", QString(), guide, true, guide, {}},
        {"none set, no guide", QString(), {}, true, {}, "ヘルプファイルが指定されていません。"},
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
        setApplicationGuide(row.guide);
        ModalCatcher catcher;
        ShowHelpContents();
        if (row.opened.isEmpty()) {
            EXPECT_TRUE(opened.isEmpty());
        } else {
            ASSERT_EQ(opened.size(), 1);
            EXPECT_EQ(opened[0], QUrl::fromLocalFile(row.opened));
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
    setApplicationGuide({});
    setApplicationTitle(oldTitle);
}
