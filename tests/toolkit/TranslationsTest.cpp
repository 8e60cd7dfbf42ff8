#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "ChildProcess.h"

#include <QAccessible>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <cstdio>

namespace {

// Every button name a screen reader finds in the window.
void collectButtons(QAccessibleInterface* node, QStringList& names)
{
    if (!node || node->state().invisible)
        return;
    if (node->role() == QAccessible::PushButton)
        names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        collectButtons(node->child(i), names);
}

} // namespace

TEST(Translations, OpenDialogButtonsReadJapaneseInEveryLocale)
{
    if (inChildProcess()) {
        loadPlatformTranslations();
        QStringList names;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog)
                collectButtons(QAccessible::queryAccessibleInterface(dialog), names);
            if (dialog)
                dialog->close();
        });
        TOpenDialog open;
        open.Filter = QStringLiteral("tpl|*.tpl");
        open.Execute();
        std::printf("BUTTONS %s\n", names.join(QLatin1Char('|')).toUtf8().constData());
        return;
    }
    for (const char* lang : {"C", "de_DE.UTF-8", "ja_JP.UTF-8"}) {
        SCOPED_TRACE(lang);
        const ChildResult child =
            runCurrentTestInChild({{"LANG", lang}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANGUAGE", ""}});
        ASSERT_EQ(child.exitCode, 0) << child.output.toStdString();
        const qsizetype at = child.output.indexOf(QStringLiteral("BUTTONS "));
        ASSERT_GE(at, 0) << child.output.toStdString();
        const QStringList names = child.output.mid(at + 8).section(QLatin1Char('\n'), 0, 0).split(QLatin1Char('|'));
        EXPECT_TRUE(names.contains(QStringLiteral("キャンセル"))) << names.join(' ').toStdString();
        EXPECT_TRUE(names.filter(QStringLiteral("開く")).size() == 1) << names.join(' ').toStdString();
        EXPECT_FALSE(names.contains(QStringLiteral("Cancel"))) << names.join(' ').toStdString();
    }
}
