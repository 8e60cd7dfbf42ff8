#include "toolkit/Help.h"

#include "toolkit/Application.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

std::function<bool(const QUrl&)>& opener()
{
    static std::function<bool(const QUrl&)> open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return open;
}

} // namespace

void setHelpOpener(std::function<bool(const QUrl&)> open)
{
    opener() = std::move(open);
}

void ShowHelpContents()
{
    const QString fileName = applicationHelpFile();
    const QFileInfo help(fileName);
    const QFileInfo guide(applicationGuide());
    QFileInfo shownFile;
    if (!fileName.isEmpty() && help.isFile())
        shownFile = help;
    else if (!applicationGuide().isEmpty() && guide.isFile())
        shownFile = guide;
    else if (fileName.isEmpty()) {
        showMessage(QStringLiteral("ヘルプファイルが指定されていません。"));
        return;
    } else {
        showMessage(QStringLiteral("ヘルプファイル「%1」が見つかりません。")
                        .arg(QDir::toNativeSeparators(help.absoluteFilePath())));
        return;
    }
    const QString path = shownFile.absoluteFilePath();
    if (!opener() || !opener()(QUrl::fromLocalFile(path)))
        showMessage(QStringLiteral("ヘルプファイル「%1」を開けませんでした。").arg(QDir::toNativeSeparators(path)));
}

void CloseHelp()
{
}
