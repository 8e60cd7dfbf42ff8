#include "editor/FileMessages.h"

#include "labeldata/FileError.h"

#include <stdexcept>

QString fileErrorMessage(const labeldata::FileError& error)
{
    using Operation = labeldata::FileError::Operation;
    if (error.styleCount() > 0)
        return QStringLiteral("ファイル '%1' に保存できません: ラベルスタイルが %2 個あります。1 つのファイルに保存できるのは %3 個までです")
            .arg(error.fileName())
            .arg(error.styleCount())
            .arg(error.maxStyles());
    const QString action = error.operation() == Operation::Open     ? QStringLiteral("を開けません")
                           : error.operation() == Operation::Read   ? QStringLiteral("を読み込めません")
                           : error.operation() == Operation::Create ? QStringLiteral("を作成できません")
                                                                    : QStringLiteral("に書き込めません");
    return QStringLiteral("ファイル '%1' %2: %3").arg(error.fileName(), action, error.reason());
}

void withFileMessages(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const labeldata::FileError& error) {
        throw std::runtime_error(fileErrorMessage(error).toStdString());
    }
}
