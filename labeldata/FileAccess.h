#pragma once

#include "labeldata/FileError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>

namespace labeldata {

// What path names, its symbolic links followed; only its type is looked at, never its content.
// Missing also for a path that cannot be looked at (a folder on the way that may not be read).
FileKind fileKind(const QString& path);

// A regular file opened for reading. Anything else the user may point at (a FIFO, socket,
// device or folder) is refused before it is opened, so nothing waits for a writer or a device:
// FileError(Open) whose notRegular() says what it is.
class RegularFile {
public:
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // The size when opened; a file may still grow or shrink meanwhile.
    qint64 size() const { return FSize; }
    // Up to count bytes; fewer only at the end of the file. Throws FileError(Read).
    size_t read(char* into, size_t count);
    // Everything from here to the end.
    QByteArray readAll();

private:
    QString FPath;
    int FFd = -1;
    qint64 FSize = 0;
};

// The whole of a regular file; throws FileError.
QByteArray readRegularFile(const QString& path);

// Replaces path with bytes so that after a power cut it holds either the old or the new bytes:
// they go to a hidden temporary beside it (".NAME.saving-XXXXXX"), which is synced, renamed over
// the file, and the folder synced. A failed write or sync throws FileError, removes the
// temporary and leaves the old file as it was. A symbolic link is followed to the file it
// names, an existing file's permissions are kept, and a temporary left by a killed write of
// the same file is removed by the next one that succeeds.
void writeFileDurably(const QString& path, QByteArrayView bytes);

// The system calls writeFileDurably makes, in this order; tests replace them to watch the order
// or to make one fail. Each returns what the system call does and sets errno.
struct DurableWriteCalls {
    long (*write)(int fd, const void* data, size_t size);
    int (*syncData)(int fd);   // the temporary, before the rename
    int (*rename)(const char* from, const char* to);
    int (*syncFolder)(int fd); // the folder, after it
};
DurableWriteCalls& durableWriteCalls();

} // namespace labeldata
