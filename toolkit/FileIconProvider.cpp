#include "toolkit/FileIconProvider.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>

QIcon TTypeIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    return icon(File);
}

QString TTypeIconProvider::type(const QFileInfo& info) const
{
    if (info.isRoot())
        return QStringLiteral("ドライブ");
    if (info.isDir())
        return QStringLiteral("フォルダー");
    if (!info.isFile())
        return QStringLiteral("特殊なファイル");
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QStringLiteral("ファイル") : QStringLiteral("%1 ファイル").arg(suffix.toUpper());
}

TTypeIconProvider& typeIconProvider()
{
    static TTypeIconProvider provider;
    return provider;
}

void useTypeIcons(QFileDialog& dialog)
{
    if (dialog.iconProvider() != &typeIconProvider())
        dialog.setIconProvider(&typeIconProvider());
}

namespace {

class TFileDialogWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish || event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched))
                useTypeIcons(*dialog);
        return false;
    }
};

} // namespace

void useTypeIconsEverywhere()
{
    static TFileDialogWatch* watch = nullptr;
    if (watch || !qApp)
        return;
    watch = new TFileDialogWatch(qApp);
    qApp->installEventFilter(watch);
}
