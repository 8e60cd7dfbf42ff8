#include "toolkit/Dialogs.h"
#include "toolkit/FileIconProvider.h"

#include "ModalCatcher.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <optional>

#include <sys/stat.h>

namespace {

// Runs `answer` on the first modal widget that opens.
void answerModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

} // namespace

TEST(Dialogs, InputBoxReturnsTheTypedTextOnOkAndNothingOnCancel)
{
    const struct { bool ok; const char* typed; std::optional<QString> result; } rows[] = {
        {true, "A4 12面", QStringLiteral("A4 12面")},
        {true, "", QString()},
        {false, "A4 12面", std::nullopt},
    };
    for (const auto& row : rows) {
        QString caption, prompt, shown;
        answerModal([&](QWidget* box) {
            caption = box->windowTitle();
            prompt = box->findChild<QLabel*>("InputBoxPrompt")->text();
            auto* edit = box->findChild<QLineEdit*>("InputBoxEdit");
            shown = edit->text();
            edit->setText(QString::fromUtf8(row.typed));
            box->findChild<QPushButton*>(row.ok ? "InputBoxOk" : "InputBoxCancel")->click();
        });
        EXPECT_EQ(InputBox("ラベル登録", "ラベル名を入力してください", "初期値"), row.result);
        EXPECT_EQ(caption, "ラベル登録");
        EXPECT_EQ(prompt, "ラベル名を入力してください");
        EXPECT_EQ(shown, "初期値");
    }
}

TEST(Dialogs, FilterTextBecomesQtNameFilters)
{
    const struct { const char* filter; QStringList expected; } rows[] = {
        {"tpl|*.tpl", {"tpl (*.tpl)"}},
        {"文書|*.txt;*.log|すべて|*", {"文書 (*.txt *.log)", "すべて (*)"}},
        {"", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TFileDialog::qtFilters(QString::fromUtf8(row.filter)), row.expected) << row.filter;
}

TEST(Dialogs, FileDialogsReturnFullPathsAndStartFromTheLastOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString existing = dir.filePath("old.tpl");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString missing = dir.filePath("new.tpl");

    TOpenDialog open;
    TSaveDialog save;
    const struct { const char* name; TFileDialog* dialog; QString choose; bool ok; QString result; } rows[] = {
        {"open a file that does not exist yet", &open, missing, true, missing},
        {"cancel keeps the last name", &open, QString(), false, missing},
        {"save over a file without asking", &save, existing, true, existing},
    };
    ModalCatcher questions;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.dialog->Filter = "tpl|*.tpl";
        const QString before = row.dialog->FileName;
        QStringList startedWith, filters;
        answerModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_TRUE(dialog);
            startedWith = dialog->selectedFiles();
            filters = dialog->nameFilters();
            if (row.choose.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(row.choose);
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the name
            // A dialog that asked a question instead of closing must not hang the test.
            if (dialog->isVisible())
                dialog->reject();
        });
        EXPECT_EQ(row.dialog->Execute(), row.ok);
        EXPECT_EQ(row.dialog->FileName, row.result);
        EXPECT_EQ(filters, QStringList{"tpl (*.tpl)"});
        if (!before.isEmpty()) {
            EXPECT_EQ(startedWith, QStringList{before});
        }
    }
    EXPECT_TRUE(questions.Texts.isEmpty());
}

TEST(Dialogs, FileDialogsChooseIconsByTypeAndStayResponsiveOnProc)
{
    // The type never comes from the content: PNG bytes in x.tpl are still a TPL file.
    QTemporaryDir dir;
    QFile png(dir.filePath("x.tpl"));
    ASSERT_TRUE(png.open(QIODevice::WriteOnly));
    png.write("\x89PNG\r\n\x1a\n");
    png.close();
    const QString fifo = dir.filePath("pipe.tpl");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct { QString path; const char* type; } types[] = {
        {dir.path(), "フォルダー"},
        {png.fileName(), "TPL ファイル"},
        {fifo, "特殊なファイル"},
        {QStringLiteral("/proc/kmsg"), "ファイル"},
    };
    for (const auto& t : types)
        EXPECT_EQ(typeIconProvider().type(QFileInfo(t.path)), QString::fromUtf8(t.type)) << t.path.toStdString();

    // /proc/kmsg, read as root, waits for the kernel's next message: a dialog that read it to
    // choose an icon would hang as it closed.
    for (const QString& folder : {QStringLiteral("/proc"), dir.path()}) {
        SCOPED_TRACE(folder.toStdString());
        TOpenDialog open;
        open.FileName = folder + QStringLiteral("/none.tpl");
        const QAbstractFileIconProvider* provider = nullptr;
        QElapsedTimer closing;
        answerModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_TRUE(dialog);
            provider = dialog->iconProvider();
            QTest::qWait(500); // lets it list the folder
            closing.start();
            dialog->reject();
        });
        EXPECT_FALSE(open.Execute());
        EXPECT_LT(closing.elapsed(), 1000);
        EXPECT_EQ(provider, &typeIconProvider());
    }
}
