#include "labeldata/FileError.h"
#include "labeldata/Tdatatree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <thread>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
    set.LabelList.push_back(style("A", 5));
    set.LabelList.push_back(style("B", 6));
    set.Save();
    EXPECT_EQ(QFile(set.FileName).size(), 197);

    Tdatatree back;
    back.FileName = set.FileName;
    ASSERT_EQ(back.Load(), LoadResult::Loaded);
    ASSERT_EQ(back.LabelList.size(), 2u);
    EXPECT_EQ(back.LabelList[1]->Rows, 6);
    EXPECT_EQ(back.GroupName.substr(0, 7), set.GroupName);

    set.LabelList.pop_back();
    set.Save(); // replacing a longer file leaves nothing of it behind
    EXPECT_EQ(QFile(set.FileName).size(), 122);
}

TEST(TdatatreeFile, FilesOfUnknownSizeAreReadToTheirEnd)
{
    // A pipe reports no size and hands its bytes over in pieces.
    const auto previous = std::signal(SIGPIPE, SIG_IGN); // the reader may stop early
    QTemporaryDir dir;
    Tdatatree set;
    for (int i = 0; i < 2000; ++i)
        set.LabelList.push_back(style("S" + std::to_string(i), i % 9 + 1));
    const std::string image = set.SaveImage();
    struct Row { const char* what; std::string bytes; LoadResult result; size_t styles; };
    const Row rows[] = {
        {"a whole template", image, LoadResult::Loaded, 2000},
        {"a template cut short", image.substr(0, image.size() - 40), LoadResult::Damaged, 0},
        {"not a template", "plain text that goes on and on", LoadResult::NotTemplate, 0},
        {"fewer bytes than the magic", "Vellumo", LoadResult::NotTemplate, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const QString path = dir.filePath("pipe");
        QFile::remove(path);
        ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        std::thread writer([&] {
            const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
            for (size_t at = 0; fd >= 0 && at < r.bytes.size(); at += 1000)
                if (::write(fd, r.bytes.data() + at, std::min<size_t>(1000, r.bytes.size() - at)) < 0)
                    break;
            if (fd >= 0)
                ::close(fd);
        });
        Tdatatree loaded;
        loaded.FileName = path;
        LoadResult result = LoadResult::NotTemplate;
        EXPECT_NO_THROW(result = loaded.Load());
        // Lets the writer finish even when the load never opened the pipe.
        const int release = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        writer.join();
        if (release >= 0)
            ::close(release);
        EXPECT_EQ(result, r.result);
        ASSERT_EQ(loaded.LabelList.size(), r.styles);
        if (r.styles) {
            EXPECT_EQ(std::string_view(loaded.LabelList.back()->Name).substr(0, 6), std::string("S1999\0", 6));
        }
    }
    std::signal(SIGPIPE, previous);
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
        set.LabelList.push_back(style("keep", 1));
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
        set.LabelList.push_back(style("A", 1));
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
        set.LabelList.push_back(style("S", i + 1));

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
        set.LabelList.push_back(std::make_unique<Tlabelpar>());
    EXPECT_NE(message([&] { set.Save(); }).find("65535"), std::string::npos);
    EXPECT_EQ(contents(path), "old content");
}
