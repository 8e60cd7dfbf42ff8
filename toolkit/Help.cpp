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
    if (fileName.isEmpty()) {
        showMessage(QStringLiteral("ヘルプファイルが指定されていません。"));
        return;
    }
    const QFileInfo info(fileName);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isFile()) {
        showMessage(QStringLiteral("ヘルプファイル「%1」が見つかりません。").arg(shown));
        return;
    }
    if (!opener() || !opener()(QUrl::fromLocalFile(info.absoluteFilePath())))
        showMessage(QStringLiteral("ヘルプファイル「%1」を開けませんでした。").arg(shown));
}

void CloseHelp()
{
}
