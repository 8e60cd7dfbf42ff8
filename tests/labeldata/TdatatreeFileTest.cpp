#include "labeldata/FileAccess.h"
#include "labeldata/FileError.h"
#include "labeldata/Tdatatree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <future>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::unique_ptr<Tlabelpar> style(const std::string& name, int rows)
{
    auto s = std::make_unique<Tlabelpar>();
    s->Name = name + std::string(1, '\0');
    s->SheetWidth = 210;
    s->SheetHeight = 297;
    s->Rows = rows;
    s->Columns = 1;
    return s;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::string message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const labeldata::FileError& e) {
        return e.what();
    }
    return "<no error>";
}

} // namespace

TEST(TdatatreeFile, SaveThenLoadGivesTheSameSet)
{
    QTemporaryDir dir;
    Tdatatree set;
    set.FileName = dir.filePath("ラベル.tpl");
    set.GroupName = std::string("\x83\x89\x83\x78\x83\x8B\0", 7);
    set.LabelList.push_back(*style("A", 5));
    set.LabelList.push_back(*style("B", 6));
    set.Save();
    EXPECT_EQ(QFile(set.FileName).size(), 197);

    Tdatatree back;
    back.FileName = set.FileName;
    ASSERT_EQ(back.Load(), LoadResult::Loaded);
    ASSERT_EQ(back.LabelList.size(), 2u);
    EXPECT_EQ(back.LabelList[1].Rows, 6);
    EXPECT_EQ(back.GroupName.substr(0, 7), set.GroupName);

    set.LabelList.pop_back();
    set.Save(); // replacing a longer file leaves nothing of it behind
    EXPECT_EQ(QFile(set.FileName).size(), 122);
}

TEST(TdatatreeFile, OnlyRegularFilesAreReadAndNothingWaits)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("x.tpl");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = dir.filePath("socket.tpl");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const QString loop = dir.filePath("loop.tpl");
    ASSERT_EQ(::symlink("loop.tpl", QFile::encodeName(loop).constData()), 0);
    const QString linkToFifo = dir.filePath("link.tpl");
    ASSERT_EQ(::symlink("x.tpl", QFile::encodeName(linkToFifo).constData()), 0);

    using labeldata::FileKind;
    struct Row { const char* what; QString path; FileKind kind; const char* says; };
    const Row rows[] = {
        {"a FIFO", fifo, FileKind::Fifo, "FIFO"},
        {"a link to a FIFO", linkToFifo, FileKind::Fifo, "FIFO"},
        {"a socket", socketPath, FileKind::Socket, "socket"},
        {"a folder", dir.path(), FileKind::Folder, "folder"},
        {"a device", QStringLiteral("/dev/null"), FileKind::CharacterDevice, "device"},
        {"a loop of links", loop, FileKind::LinkLoop, "loop of symbolic links"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Tdatatree set;
        set.FileName = r.path;
        auto loading = std::async(std::launch::async, [&] {
            try {
                set.Load();
            } catch (const labeldata::FileError& e) {
                return std::pair{e.notRegular(), std::string(e.what())};
            }
            return std::pair{FileKind::Regular, std::string("<no error>")};
        });
        if (loading.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
            ADD_FAILURE() << "the load waits";
            // Hands a waiting open its writer, so the test can end.
            const int release = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            loading.wait();
            ::close(release);
            continue;
        }
        const auto [kind, what] = loading.get();
        EXPECT_EQ(kind, r.kind);
        EXPECT_NE(what.find(r.path.toStdString()), std::string::npos) << what;
        EXPECT_NE(what.find(r.says), std::string::npos) << what;
    }
    ::close(sock);

    // A regular file whose size the system does not know is read to its end all the same.
    Tdatatree status;
    status.FileName = QStringLiteral("/proc/self/status");
    EXPECT_EQ(status.Load(), LoadResult::NotTemplate);
}

TEST(TdatatreeFile, SaveWritesSyncsRenamesThenSyncsTheFolderAndAFailedStepKeepsTheOldFile)
{
    // Each step is recorded, then made to fail once in turn.
    static std::vector<std::string> steps;
    static std::string failing;
    auto& calls = labeldata::durableWriteCalls();
    const labeldata::DurableWriteCalls system = calls;
    static labeldata::DurableWriteCalls real;
    real = system;
    auto step = [](const char* name) {
        if (steps.empty() || steps.back() != name)
            steps.push_back(name);
        if (failing == name) {
            errno = EIO;
            return false;
        }
        return true;
    };
    static decltype(step) record = step;
    calls.write = [](int fd, const void* data, size_t size) -> long { return record("write") ? real.write(fd, data, size) : -1; };
    calls.syncData = [](int fd) { return record("sync temporary") ? real.syncData(fd) : -1; };
    calls.rename = [](const char* from, const char* to) { return record("rename") ? real.rename(from, to) : -1; };
    calls.syncFolder = [](int fd) { return record("sync folder") ? real.syncFolder(fd) : -1; };

    QTemporaryDir dir;
    const QString path = dir.filePath("labels.tpl");
    const std::vector<std::string> order{"write", "sync temporary", "rename", "sync folder"};
    struct Row { std::string fails; bool oldKept; };
    const Row rows[] = {{"", false}, {"write", true}, {"sync temporary", true}, {"rename", true}, {"sync folder", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE("failing: " + r.fails);
        writeFile(path, "old content");
        steps.clear();
        failing = r.fails;
        Tdatatree set;
        set.FileName = path;
        set.LabelList.push_back(*style("A", 1));
        const std::string what = message([&] { set.Save(); });
        const auto stop = std::find(order.begin(), order.end(), r.fails);
        EXPECT_EQ(steps, std::vector<std::string>(order.begin(), stop == order.end() ? stop : stop + 1));
        if (r.fails.empty()) {
            EXPECT_EQ(what, "<no error>");
        } else {
            EXPECT_EQ(what, "cannot write '" + path.toStdString() + "': " + std::strerror(EIO));
        }
        EXPECT_EQ(contents(path), r.oldKept ? QByteArray("old content") : QByteArray::fromStdString(set.SaveImage()));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"labels.tpl"}); // no temporary
    }
    calls = system;
}

TEST(TdatatreeFile, UnreadableFilesRaiseAnErrorNamingTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("無い.tpl");
    struct Row { QString path; };
    const Row rows[] = {{missing}, {dir.path()}};
    for (const Row& r : rows) {
        Tdatatree set;
        set.FileName = r.path;
        set.GroupName = "before";
        set.LabelList.push_back(*style("keep", 1));
        const std::string what = message([&] { set.Load(); });
        EXPECT_NE(what.find(r.path.toStdString()), std::string::npos) << what;
        EXPECT_EQ(what.find("cannot "), 0u) << what;
        EXPECT_EQ(set.GroupName, "before");
        EXPECT_EQ(set.LabelList.size(), 1u);
    }
}

TEST(TdatatreeFile, NotATemplateIsReportedNotShown)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("note.txt");
    writeFile(path, "just some text, not a template");
    Tdatatree set;
    set.FileName = path;
    EXPECT_EQ(set.Load(), LoadResult::NotTemplate);
    EXPECT_EQ(set.FileName, path);
    EXPECT_TRUE(set.LabelList.empty());
}

TEST(TdatatreeFile, FailedSavesLeaveTheOldFileAsItWas)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("old.tpl");
    writeFile(existing, "old content");

    struct Row { const char* what; QString path; };
    const Row rows[] = {
        {"folder does not exist", dir.filePath("no-such-folder/new.tpl")},
        {"target is a folder", dir.path()},
        {"no file name", QString()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Tdatatree set;
        set.FileName = r.path;
        set.LabelList.push_back(*style("A", 1));
        const std::string what = message([&] { set.Save(); });
        EXPECT_NE(what.find(" '" + r.path.toStdString() + "'"), std::string::npos) << what;
    }
    EXPECT_EQ(contents(existing), "old content");
    EXPECT_FALSE(QDir(dir.filePath("no-such-folder")).exists());
}

TEST(TdatatreeFile, SaveThatRunsOutOfSpaceKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("full.tpl");
    writeFile(path, "old content");

    Tdatatree set;
    set.FileName = path;
    for (int i = 0; i < 100; ++i)
        set.LabelList.push_back(*style("S", i + 1));

    // A file size limit makes the write fail part way, as a full disk would.
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string what = message([&] { set.Save(); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_NE(what.find(path.toStdString()), std::string::npos) << what;
    EXPECT_EQ(contents(path), "old content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"full.tpl"}); // no leftovers
}

TEST(TdatatreeFile, SaveKeepsThePermissionsOfAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shared.tpl");
    writeFile(path, "old");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path, permissions));
    Tdatatree set;
    set.FileName = path;
    set.Save();
    EXPECT_EQ(QFile(path).size(), 47);
    // Owner, group and others; the "current user" bits mirror the owner's.
    const auto mask = QFile::Permissions::fromInt(0x7077);
    EXPECT_EQ(QFile::permissions(path) & mask, permissions & mask);
}

TEST(TdatatreeFile, SaveRefusesWhatTheUserMayNotWrite)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    QTemporaryDir dir;
    const QString readOnlyFile = dir.filePath("locked.tpl");
    writeFile(readOnlyFile, "old content");
    QFile::setPermissions(readOnlyFile, QFile::ReadOwner);
    const QString lockedFolder = dir.filePath("locked");
    QDir(dir.path()).mkdir("locked");
    writeFile(lockedFolder + "/in.tpl", "old content");
    QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::ExeOwner);

    for (const QString& path : {readOnlyFile, lockedFolder + "/in.tpl"}) {
        Tdatatree set;
        set.FileName = path;
        EXPECT_NE(message([&] { set.Save(); }), "<no error>") << path.toStdString();
        EXPECT_EQ(contents(path), "old content");
    }
    QFile::setPermissions(lockedFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(TdatatreeFile, MoreStylesThanTheCountHoldsAreRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.tpl");
    writeFile(path, "old content");
    Tdatatree set;
    set.FileName = path;
    for (size_t i = 0; i < Tdatatree::MaxStyles + 1; ++i)
        set.LabelList.emplace_back();
    EXPECT_NE(message([&] { set.Save(); }).find("65535"), std::string::npos);
    EXPECT_EQ(contents(path), "old content");
}
