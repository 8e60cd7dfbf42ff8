#pragma once

#include <QString>

#include <functional>

namespace labeldata {
class FileError;
enum class FileKind;
}
namespace products {
struct SourceError;
}
namespace settings {
struct SettingsDamage;
}

// The window's wording of a template file that could not be opened, read, created or written:
// "ファイル '<path>' を開けません: <the system's reason>".
QString fileErrorMessage(const labeldata::FileError& error);

// Runs a file operation; a FileError leaves it as an error whose message is the window's wording.
void withFileMessages(const std::function<void()>& operation);

// "フォルダー", "FIFO (名前付きパイプ)", ...: what a file that is no regular file is.
QString fileKindName(labeldata::FileKind kind);

// The window's wording of a label database that could not be read.
QString sourceErrorMessage(const products::SourceError& error);

// The window's wording of a settings file that could not be used, which then reads as empty.
QString settingsDamageMessage(const settings::SettingsDamage& damage);
// Shows, once, that the settings file last read was damaged.
void showSettingsDamage();
