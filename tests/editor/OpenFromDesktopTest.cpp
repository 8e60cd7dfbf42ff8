// Files that come from the desktop: the one named on the command line and one dropped on the window
// (which drops the window takes is tested with a real pointer in EndToEndTest).
#include "editor/GroupNameEdit.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Image.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

namespace {

// Everything of the window that Open may change, as one text to compare.
QString windowState(const TForm1& form)
{
    QStringList parts{form.windowTitle(), form.Edit11->Text(), form.Datatree->FileName, form.OpenDialog->FileName,
                      QString::number(form.Datatree->LabelList.size()), QString::number(form.ComboBox1->currentIndex()),
                      QString::number(form.S1->isEnabled()), QString::number(form.Button4->isEnabled())};
    for (int i = 0; i < form.ComboBox1->count(); ++i)
        parts << form.ComboBox1->itemText(i);
    const FieldValues values = fieldValues(form);
    parts << QString::number(values.rows) << QString::number(values.columns);
    for (double length : values.lengths)
        parts << QString::number(length);
    return parts.join(QLatin1Char('|'));
}

// Drops the URLs onto the window at the middle of `over` the way the platform delivers a drop:
// to the window, which finds the widget that takes it. True when the drop was taken.
bool drop(TForm1& form, QWidget* over, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QWindow* window = form.windowHandle();
    const QPoint at = over->mapTo(&form, over->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(window, &leave);
        return false;
    }
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &dropped);
    QApplication::processEvents();
    return dropped.isAccepted();
}

struct OpenFromDesktopTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(OpenFromDesktopTest, AFileGivenAtStartOpensAsOpenWould)
{
    std::string damaged(47, '\0');
    damaged.replace(0, 16, "Vellumo V2.0 TPL");
    damaged[45] = 3; // three styles promised, none there
    const struct {
        const char* label;
        std::string content; // empty: no such file
        bool message;
    } rows[] = {
        {"a template", workedExampleBytes(), false},
        {"not a template", "plain text", true},
        {"damaged", damaged, true},
        {"missing", {}, true},
    };
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path()); // a command line names files relative to where it runs
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        QFile::remove(path("given.tpl"));
        if (!row.content.empty())
            writeFile(path("given.tpl"), row.content);

        auto opened = newWindow();
        opened->show();
        ModalAnswers viaOpen;
        viaOpen.file(path("given.tpl"));
        if (row.message)
            viaOpen.message();
        opened->Open1->trigger();

        auto given = newWindow();
        given->show();
        ModalAnswers viaStart;
        if (row.message)
            viaStart.message();
        runGuarded([&] { given->openFile(QStringLiteral("given.tpl")); });

        EXPECT_EQ(viaOpen.pending(), 0u);
        EXPECT_EQ(viaStart.pending(), 0u);
        EXPECT_EQ(viaStart.messages, viaOpen.messages);
        EXPECT_EQ(windowState(*given), windowState(*opened));
        EXPECT_EQ(given->Datatree->FileName, path("given.tpl"));
    }
    QDir::setCurrent(before);
}

TEST_F(OpenFromDesktopTest, ADropOnUnsavedWorkAsksFirst)
{
    writeFile(path("a.tpl"), workedExampleBytes());
    auto form = newWindow();
    form->show();
    form->Edit11->setText(QStringLiteral("MINE"));
    ModalAnswers answers;
    answers.question(QStringLiteral("SaveQuestionCancel"));
    EXPECT_TRUE(drop(*form, form->Image1, {QUrl::fromLocalFile(path("a.tpl"))}));
    EXPECT_EQ(answers.pending(), 0u);
    EXPECT_EQ(form->Edit11->Text(), QStringLiteral("MINE"));
    EXPECT_TRUE(form->Datatree->FileName.isEmpty());
}
