#include "toolkit/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <exception>

namespace {
QString& titleStore()
{
    static QString title;
    return title;
}
QString& helpFileStore()
{
    static QString fileName;
    return fileName;
}
QString& guideStore()
{
    static QString fileName;
    return fileName;
}
} // namespace

QString applicationTitle()
{
    return titleStore();
}

void setApplicationTitle(const QString& title)
{
    titleStore() = title;
}

QString applicationHelpFile()
{
    return helpFileStore();
}

void setApplicationHelpFile(const QString& fileName)
{
    helpFileStore() = fileName;
}

QString applicationGuide()
{
    return guideStore();
}

void setApplicationGuide(const QString& indexFile)
{
    guideStore() = indexFile;
}

bool loadPlatformTranslations()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString messageBoxText(const QString& text)
{
    if (text.size() <= MessageBoxMostCharacters)
        return text;
    // Laid out whole, 32,767 quoted digits take a quarter of a second and a box taller than
    // any screen, its OK button out of reach.
    qsizetype head = MessageBoxMostCharacters / 2;
    qsizetype tail = MessageBoxMostCharacters / 2;
    if (text[head - 1].isHighSurrogate())
        --head;
    if (text[text.size() - tail].isLowSurrogate())
        --tail;
    return text.left(head) + QChar(0x2026) + text.right(tail);
}

void showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), messageBoxText(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

TSaveAnswer askToSave(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), messageBoxText(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("SaveQuestion"));
    QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    save->setObjectName(QStringLiteral("SaveQuestionSave"));
    QPushButton* dontSave = box.addButton(QStringLiteral("保存しない"), QMessageBox::DestructiveRole);
    dontSave->setObjectName(QStringLiteral("SaveQuestionDontSave"));
    QPushButton* cancel = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("SaveQuestionCancel"));
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return TSaveAnswer::Save;
    if (box.clickedButton() == dontSave)
        return TSaveAnswer::DontSave;
    return TSaveAnswer::Cancel;
}

bool askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), messageBoxText(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    return box.exec() == QMessageBox::Yes;
}

void runGuarded(const std::function<void()>& handler)
{
    QString message;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) {
        message = QStringLiteral("予期しないエラーが発生しました");
    }
    // Shown after the catch block: the box runs an event loop, and a handler failing inside it
    // must not find this exception still in flight.
    try {
        showMessage(message);
    } catch (...) {
    }
}
