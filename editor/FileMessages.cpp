#include "editor/FileMessages.h"

#include "labeldata/FileError.h"
#include "products/Catalogue.h"
#include "settings/Settings.h"
#include "toolkit/Application.h"

#include <stdexcept>

QString fileErrorMessage(const labeldata::FileError& error)
{
    using Operation = labeldata::FileError::Operation;
    if (error.styleCount() > 0)
        return QStringLiteral("ファイル '%1' に保存できません: ラベルスタイルが %2 個あります。1 つのファイルに保存できるのは %3 個までです")
            .arg(error.fileName())
            .arg(error.styleCount())
            .arg(error.maxStyles());
    if (error.notRegular() != labeldata::FileKind::Regular)
        return QStringLiteral("ファイル '%1' は%2で、通常のファイルではないため開けません")
            .arg(products::printable(error.fileName()), fileKindName(error.notRegular()));
    const QString action = error.operation() == Operation::Open     ? QStringLiteral("を開けません")
                           : error.operation() == Operation::Read   ? QStringLiteral("を読み込めません")
                           : error.operation() == Operation::Create ? QStringLiteral("を作成できません")
                                                                    : QStringLiteral("に書き込めません");
    return QStringLiteral("ファイル '%1' %2: %3").arg(error.fileName(), action, error.reason());
}

QString fileKindName(labeldata::FileKind kind)
{
    using labeldata::FileKind;
    switch (kind) {
    case FileKind::Folder:
        return QStringLiteral("フォルダー");
    case FileKind::Fifo:
        return QStringLiteral("FIFO (名前付きパイプ)");
    case FileKind::Socket:
        return QStringLiteral("ソケット");
    case FileKind::CharacterDevice:
    case FileKind::BlockDevice:
        return QStringLiteral("デバイス");
    case FileKind::LinkLoop:
        return QStringLiteral("循環するシンボリックリンク");
    case FileKind::Missing:
    case FileKind::Regular:
    case FileKind::Other:
        break;
    }
    return QStringLiteral("特殊なファイル");
}

QString sourceErrorMessage(const products::SourceError& error)
{
    using products::SourceError;
    const QString path = products::printable(error.path);
    const QString detail = products::printable(error.detail);
    if (error.notRegular != labeldata::FileKind::Regular)
        return QStringLiteral("「%1」は%2で、通常のファイルではないため読めません。").arg(path, fileKindName(error.notRegular));
    switch (error.kind) {
    case SourceError::Missing:
        return QStringLiteral("「%1」がありません。").arg(path);
    case SourceError::UnreadableFile:
        return QStringLiteral("「%1」を読めません: %2").arg(path, detail);
    case SourceError::UnreadableFolder:
        return QStringLiteral("フォルダー「%1」を読めません。").arg(path);
    case SourceError::MalformedXml:
        return QStringLiteral("「%1」の XML が壊れています（%2 行 %3 桁）: %4").arg(path).arg(error.line).arg(error.column).arg(detail);
    case SourceError::NotADatabase:
        return QStringLiteral("「%1」は gLabels や LibreOffice のラベルデータではありません。").arg(path);
    case SourceError::NotPaperSizes:
        return QStringLiteral("「%1」は gLabels の用紙サイズのファイルではないため、使わずに読み込みました。").arg(path);
    }
    return path;
}

void withFileMessages(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const labeldata::FileError& error) {
        throw std::runtime_error(fileErrorMessage(error).toStdString());
    }
}

QString settingsDamageMessage(const settings::SettingsDamage& damage)
{
    const QString why = damage.error ? fileErrorMessage(*damage.error)
                                     : QStringLiteral("設定ファイル '%1' の %2 行目が読めません").arg(damage.path).arg(damage.line);
    return why + QStringLiteral("。プリンターの補正はないものとして続けます。新しい補正を保存するまで、このファイルは書き換えません。");
}

void showSettingsDamage()
{
    if (const auto damage = settings::takeDamage())
        showMessage(settingsDamageMessage(*damage));
}
