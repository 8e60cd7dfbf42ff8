#include "labeldata/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace labeldata {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

FileKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Folder;
    if (S_ISFIFO(mode))
        return FileKind::Fifo;
    if (S_ISSOCK(mode))
        return FileKind::Socket;
    if (S_ISCHR(mode))
        return FileKind::CharacterDevice;
    if (S_ISBLK(mode))
        return FileKind::BlockDevice;
    return FileKind::Other;
}

} // namespace

FileKind fileKind(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return kindOf(st.st_mode);
    return errno == ELOOP ? FileKind::LinkLoop : FileKind::Missing;
}

RegularFile::RegularFile(const QString& path)
    : FPath(path)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened: opening a FIFO waits for a writer, a device may do anything.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        if (error == ELOOP)
            throw FileError::notRegularFile(path, FileKind::LinkLoop);
        throw FileError(FileError::Operation::Open, path, systemReason(error));
    }
    if (!S_ISREG(st.st_mode))
        throw FileError::notRegularFile(path, kindOf(st.st_mode));
    // Without waiting, should it have been swapped for a FIFO since.
    FFd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (FFd < 0)
        throw FileError(FileError::Operation::Open, path, systemReason(errno));
    if (::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const FileKind kind = kindOf(st.st_mode);
        ::close(FFd);
        throw FileError::notRegularFile(path, kind);
    }
    FSize = qint64(st.st_size);
}

RegularFile::~RegularFile()
{
    if (FFd >= 0)
        ::close(FFd);
}

size_t RegularFile::read(char* into, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(FFd, into + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileError(FileError::Operation::Read, FPath, systemReason(errno));
        if (got == 0)
            break;
        done += size_t(got);
    }
    return done;
}

QByteArray RegularFile::readAll()
{
    QByteArray all;
    // Files the system gives no size for (/proc, /sys) are read in pieces to their end.
    qsizetype chunk = qsizetype(std::clamp<qint64>(FSize, 4096, qint64(1) << 30));
    for (;;) {
        const qsizetype before = all.size();
        all.resize(before + chunk);
        const size_t got = read(all.data() + before, size_t(chunk));
        all.resize(before + qsizetype(got));
        if (got < size_t(chunk))
            return all;
        chunk = 65536;
    }
}

QByteArray readRegularFile(const QString& path)
{
    RegularFile file(path);
    return file.readAll();
}

namespace {

long systemWrite(int fd, const void* data, size_t size)
{
    return long(::write(fd, data, size));
}

} // namespace

DurableWriteCalls& durableWriteCalls()
{
    static DurableWriteCalls calls{systemWrite, ::fdatasync, ::rename, ::fsync};
    return calls;
}

namespace {

// A write goes into a hidden file beside the target whose name is the target's with this after
// it and six random letters; a user who finds one left by a killed write can tell what it was.
constexpr QLatin1StringView TemporaryInfix(".saving-");
constexpr int TemporaryLetters = 6;

// The file a write replaces: through a symbolic link to the file it names, as an editor should.
QString replacedFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (info.exists())
        return info.canonicalFilePath();
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

bool isTemporaryOf(const QString& entry, const QString& prefix)
{
    if (!entry.startsWith(prefix) || entry.size() != prefix.size() + TemporaryLetters)
        return false;
    return std::all_of(entry.begin() + prefix.size(), entry.end(),
                       [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; });
}

// Each write holds a lock on its temporary until it is renamed, so one that can be locked is left
// from a write that was killed; the lock dies with the process.
void removeStaleTemporaries(const QString& folder, const QString& prefix)
{
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (!isTemporaryOf(entry, prefix))
            continue;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + entry);
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

} // namespace

void writeFileDurably(const QString& path, QByteArrayView bytes)
{
    if (path.isEmpty())
        throw FileError(FileError::Operation::Create, path, systemReason(ENOENT));

    const DurableWriteCalls calls = durableWriteCalls();
    const QString target = replacedFile(path);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat existing {};
    const bool exists = ::stat(targetPath.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw FileError(FileError::Operation::Create, path, systemReason(EISDIR));
    // Renaming would replace a file the user may not write; refuse it as writing into it would.
    if (exists && ::access(targetPath.constData(), W_OK) != 0)
        throw FileError(FileError::Operation::Create, path, systemReason(errno));

    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    const QString prefix = QLatin1Char('.') + targetInfo.fileName() + TemporaryInfix;
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < TemporaryLetters; ++i)
            name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
        temporary = QFile::encodeName(folder + QLatin1Char('/') + name);
        // A new file gets the usual permissions; a replaced one its own, before any byte is in.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            throw FileError(FileError::Operation::Create, path, systemReason(errno));
    }
    if (fd < 0)
        throw FileError(FileError::Operation::Create, path, systemReason(EEXIST));
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    auto fail = [&](int error) {
        ::unlink(temporary.constData());
        ::close(fd);
        return FileError(FileError::Operation::Write, path, systemReason(error));
    };
    if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        throw fail(errno);

    for (qsizetype done = 0; done < bytes.size();) {
        const long wrote = calls.write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            throw fail(wrote < 0 ? errno : ENOSPC);
        done += qsizetype(wrote);
    }
    // Without this the rename may reach the disk before the bytes, and a power cut leaves an
    // empty file where the old one was.
    if (calls.syncData(fd) != 0)
        throw fail(errno);
    // The lock is held through the rename: closing first would let a cleanup take the file.
    if (calls.rename(temporary.constData(), targetPath.constData()) != 0)
        throw fail(errno);
    ::close(fd);

    // The rename itself is on the disk only once the folder is.
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        throw FileError(FileError::Operation::Write, path, systemReason(errno));
    const int synced = calls.syncFolder(folderFd);
    const int syncError = errno;
    ::close(folderFd);
    if (synced != 0)
        throw FileError(FileError::Operation::Write, path, systemReason(syncError));
    removeStaleTemporaries(folder, prefix);
}

} // namespace labeldata
