// A clipboard of 200,000 characters pasted by mistake into any text field of the window.
#include "editor/GroupNameEdit.h"
#include "labeldata/Cp932.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Application.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace {

constexpr qsizetype HugeLength = 200000;

QString repeated(const QString& piece)
{
    QString text;
    while (text.size() < HugeLength)
        text += piece;
    text.truncate(HugeLength);
    return text;
}

// Ctrl+V into the edit, three times over the whole text: the milliseconds until the edit
// answered again each time. Only the first paste changes the text.
std::vector<qint64> paste(QLineEdit* edit, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    edit->setFocus();
    std::vector<qint64> times;
    for (int i = 0; i < 3; ++i) {
        edit->selectAll();
        QElapsedTimer clock;
        clock.start();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::sendEvent(edit, &key);
        QCoreApplication::processEvents();
        times.push_back(clock.elapsed());
    }
    return times;
}

} // namespace

TEST(HugePaste, EveryTextFieldTakesItAtOnceAndKeepsWhatAShortPasteWould)
{
    enum class Field { GroupName, StyleName, Length, Count };
    struct Row {
        const char* label;
        Field field;
        QString pasted;
        QString kept; // the field's text afterwards
        int messages = 0;
    };
    const QString digits = repeated(QStringLiteral("0123456789"));
    const Row rows[] = {
        {"ASCII into the group name", Field::GroupName, digits, QStringLiteral("01234567890123")},
        {"Japanese into the group name", Field::GroupName, repeated(QStringLiteral("日本語のラベル")), QStringLiteral("日本語のラベル")},
        {"what the code page lacks, then letters", Field::GroupName, repeated(QStringLiteral("é😀")) + QStringLiteral("AB"),
         QStringLiteral("AB")},
        {"control characters into the group name", Field::GroupName, repeated(QStringLiteral("\x01\t\x1b")), QString()},
        {"ASCII into the style name", Field::StyleName, digits, digits.left(18)},
        {"Japanese into the style name", Field::StyleName, repeated(QStringLiteral("日本語")), QStringLiteral("日本語日本語日本語")},
        {"what the code page lacks into the style name", Field::StyleName, repeated(QStringLiteral("é")), QString()},
        // Refused as too long a number, in a box that shows the text's two ends.
        {"digits into a length", Field::Length, digits, digits.left(32767), 1},
        {"letters, then a number into a length", Field::Length, repeated(QStringLiteral("aé😀\x01")) + QStringLiteral("12.5"),
         QStringLiteral("12.5")},
        {"digits into a count", Field::Count, digits, digits.left(32767)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto form = newWindow();
        form->show();
        QApplication::setActiveWindow(form.get());
        QString shown;
        std::vector<qint64> ms;
        ModalAnswers answers;
        if (row.field == Field::StyleName) {
            answers.then([&](QWidget* box) {
                auto* edit = box->findChild<QLineEdit*>(QStringLiteral("InputBoxEdit"));
                ms = paste(edit, row.pasted);
                shown = edit->text();
                box->findChild<QPushButton*>(QStringLiteral("InputBoxCancel"))->click();
            });
            form->Button3->click();
        } else {
            for (int i = 0; i < row.messages; ++i)
                answers.message();
            QLineEdit* edit = row.field == Field::GroupName ? static_cast<QLineEdit*>(form->Edit11)
                : row.field == Field::Length                ? static_cast<QLineEdit*>(form->UpdownNumberEdit1)
                                                            : static_cast<QLineEdit*>(form->SpinEdit1);
            ms = paste(edit, row.pasted);
            shown = edit->text();
        }
        EXPECT_EQ(answers.pending(), 0u);
        EXPECT_EQ(shown, row.kept);
        if (row.field == Field::GroupName) {
            EXPECT_EQ(form->Datatree->GroupName, *cp932::encode(row.kept) + '\0');
        }
        // The first paste includes any refusal's box; a busy machine counts against the others.
        const qint64 took = row.messages ? ms.front() : *std::min_element(ms.begin(), ms.end());
        EXPECT_LT(took, 100) << "the field answered only after " << took << " ms";
        for (const QString& message : answers.messages) {
            EXPECT_EQ(message.size(), MessageBoxMostCharacters + 1);
            EXPECT_TRUE(message.startsWith(QStringLiteral("'0123456789")));
            EXPECT_TRUE(message.endsWith(QStringLiteral("0123456' は浮動小数点数ではありません")));
        }
    }
}
