// The window's wording of a file that could not be read or written.
#include "editor/FileMessages.h"

#include "labeldata/FileError.h"

#include <gtest/gtest.h>

TEST(FileMessages, NameTheFileTheOperationAndTheSystemsReason)
{
    using labeldata::FileError;
    const struct {
        FileError error;
        const char16_t* message;
    } rows[] = {
        {FileError(FileError::Operation::Open, "/t/無い.tpl", "No such file"), u"ファイル '/t/無い.tpl' を開けません: No such file"},
        {FileError(FileError::Operation::Read, "/t/a.tpl", "I/O error"), u"ファイル '/t/a.tpl' を読み込めません: I/O error"},
        {FileError(FileError::Operation::Create, "/t/b.tpl", "Permission denied"), u"ファイル '/t/b.tpl' を作成できません: Permission denied"},
        {FileError(FileError::Operation::Write, "/t/c.tpl", "No space left"), u"ファイル '/t/c.tpl' に書き込めません: No space left"},
        {FileError::tooManyStyles("/t/d.tpl", 65536, 65535),
         u"ファイル '/t/d.tpl' に保存できません: ラベルスタイルが 65536 個あります。1 つのファイルに保存できるのは 65535 個までです"},
        {FileError::notRegularFile("/t/x.tpl", labeldata::FileKind::Fifo), u"ファイル '/t/x.tpl' はFIFO (名前付きパイプ)で、通常のファイルではないため開けません"},
        {FileError::notRegularFile("/t/l\n.tpl", labeldata::FileKind::LinkLoop), u"ファイル '/t/l\\n.tpl' は循環するシンボリックリンクで、通常のファイルではないため開けません"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(fileErrorMessage(r.error), QString::fromUtf16(r.message)) << r.error.what();
}
