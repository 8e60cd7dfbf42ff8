// The About box and the Help menu's contents command.
#include "editor/Unit2.h"
#include "toolkit/Application.h"
#include "toolkit/Help.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>

TEST(AboutBox, ShowsProductVersionAndIconInItsPlaces)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(box.size(), QSize(273, 137));
    struct Row {
        QWidget* w;
        QWidget* parent;
        QRect geometry;
        const char* text;
    };
    const Row rows[] = {
        {box.Panel1, &box, QRect(7, 7, 258, 98), nullptr},
        {box.ProgramIcon, box.Panel1, QRect(7, 7, 58, 58), nullptr},
        {box.ProductName, box.Panel1, QRect(81, 15, 104, 12), "Brisel ラベルエディタ"},
        {box.Version, box.Panel1, QRect(81, 37, 63, 12), "Version 0.91"},
        {box.OKButton, &box, QRect(94, 109, 69, 23), "OK"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.w->objectName().toStdString());
        EXPECT_EQ(row.w->parentWidget(), row.parent);
        EXPECT_EQ(row.w->pos(), row.geometry.topLeft());
        if (qobject_cast<QLabel*>(row.w) && row.text) {
            EXPECT_GE(row.w->width(), row.geometry.width());
            EXPECT_GE(row.w->width(), row.w->sizeHint().width()); // nothing cut off
        } else {
            EXPECT_EQ(row.w->size(), row.geometry.size());
        }
        if (row.text) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(row.w))
                text = label->text();
            else if (auto* button = qobject_cast<QPushButton*>(row.w))
                text = button->text();
            EXPECT_EQ(text, QString::fromUtf8(row.text));
        }
    }
    EXPECT_TRUE(box.OKButton->isDefault());

    // The icon: 32 x 32 with at most 16 colours, stretched over the image.
    const QImage icon(QStringLiteral(":/editor/tessel-editor.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    EXPECT_TRUE(box.ProgramIcon->hasScaledContents());
}

TEST(AboutBox, ReturnAndTheCloseButtonCloseIt)
{
    struct Row {
        const char* label;
        std::function<void(TAboutBox&)> close;
        int result;
    };
    const Row rows[] = {
        {"OK", [](TAboutBox& b) { b.OKButton->click(); }, QDialog::Accepted},
        {"Return",
         [](TAboutBox& b) {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
             QApplication::sendEvent(b.focusWidget() ? b.focusWidget() : &b, &key);
         },
         QDialog::Accepted},
        {"close button", [](TAboutBox& b) { b.close(); }, QDialog::Rejected},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TAboutBox box;
        ModalAnswers answers;
        answers.then([&](QWidget* w) { row.close(*static_cast<TAboutBox*>(w)); });
        EXPECT_EQ(box.exec(), row.result);
        EXPECT_FALSE(box.isVisible());
    }
}

TEST(HelpMenu, ContentsOpensTheHelpFileOrNamesTheMissingOne)
{
    QTemporaryDir dir;
    const QString helpFile = dir.filePath(QStringLiteral("tessel-editor.hlp"));
    const QString savedHelp = applicationHelpFile();
    std::vector<QUrl> opened;
    setHelpOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    setApplicationHelpFile(helpFile);
    auto form = newWindow();
    emit form->Help1->aboutToShow();

    ModalAnswers answers;
    answers.message();
    form->Contents1->trigger();
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_TRUE(answers.messages[0].contains(QStringLiteral("tessel-editor.hlp")));
    EXPECT_TRUE(opened.empty());

    writeFile(helpFile, "help");
    form->Contents1->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(helpFile));

    setHelpOpener(nullptr);
    setApplicationHelpFile(savedHelp);
}
