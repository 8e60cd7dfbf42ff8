#include "toolkit/Application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
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

void showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
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
