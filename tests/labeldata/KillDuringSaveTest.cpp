// A save killed at any moment leaves the template whole, old or new, and a temporary the user
// can recognise, which the next save of the same file clears away.
#include "labeldata/Tdatatree.h"

#include "bench/LargeSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string contents(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QStringList othersIn(const QString& folder, const QString& except)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(except);
    return names;
}

} // namespace

TEST(KillDuringSave, TheTargetIsAlwaysTheWholeOldOrTheWholeNewContent)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("labels.tpl");
    Tdatatree older = makeLargeSet("old ");
    Tdatatree newer = makeLargeSet("new ");
    older.FileName = newer.FileName = target;
    const std::string olderImage = older.SaveImage();
    const std::string newerImage = newer.SaveImage();
    ASSERT_NE(olderImage, newerImage);

    // One save's duration sets the range of the kill moments, so they fall all over a save.
    const auto start = std::chrono::steady_clock::now();
    older.Save();
    const auto oneSave = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, 3 * oneSave.count());
    int leftovers = 0;
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two contents in turn until killed; only the saving runs in the child.
            try {
                for (;;) {
                    newer.Save();
                    older.Save();
                }
            } catch (...) {
            }
            _exit(1);
        }
        const long at = moment(random);
        std::this_thread::sleep_for(std::chrono::microseconds(at));
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, WNOHANG), 0) << "the child stopped saving by itself";
        ::kill(child, SIGKILL);
        ASSERT_EQ(waitpid(child, &status, 0), child);

        const std::string now = contents(target);
        EXPECT_TRUE(now == olderImage || now == newerImage)
            << "kill " << kill << " at " << at << " us left " << now.size() << " bytes";
        for (const QString& name : othersIn(dir.path(), QStringLiteral("labels.tpl"))) {
            EXPECT_TRUE(name.startsWith(QStringLiteral(".labels.tpl.saving-"))) << name.toStdString();
            ++leftovers;
        }
    }
    std::cout << "[          ] one save " << oneSave.count() << " us; temporaries found after the kills: " << leftovers
              << " (seed " << seed << ")\n";

    newer.Save();
    EXPECT_EQ(contents(target), newerImage);
    EXPECT_EQ(othersIn(dir.path(), QStringLiteral("labels.tpl")), QStringList());
}

TEST(KillDuringSave, OnlyTheTemporariesOfTheSavedFileAreRemoved)
{
    QTemporaryDir dir;
    // A killed save of another file and a file of the user's own that merely looks alike stay.
    const QStringList others = {".other.tpl.saving-Ab3dE9", ".labels.tpl.saving-notes", "labels.tpl.saving-Ab3dE9"};
    for (const QString& name : others) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    {
        QFile stale(dir.filePath(".labels.tpl.saving-x7Yq2Z"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("half a file");
    }
    Tdatatree set;
    set.FileName = dir.filePath("labels.tpl");
    set.Save();
    QStringList expected = others;
    expected << "labels.tpl";
    expected.sort();
    QStringList found = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    found.sort();
    EXPECT_EQ(found, expected);
}
