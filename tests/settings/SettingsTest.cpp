#include "settings/Settings.h"

#include "TemporarySettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include <sys/stat.h>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(Settings, KeptPerPrinterNameInTheUsersSettingsFileReadableByQSettings)
{
    TemporarySettings home;
    using labeldata::Calibration;
    const Calibration office{1.5, -0.7, 101, 99, -0.25};
    const Calibration slashed{-20, 20, 95, 105, 2};
    settings::saveCalibration(QStringLiteral("Office Laser"), office);
    settings::saveCalibration(QStringLiteral("ipp://host/printers/ラベル"), slashed);
    settings::saveCalibration(QStringLiteral("Far Off"), {35, -99, 200, 1, -7});
    settings::saveCalibration(QStringLiteral("Office Laser"), office);

    // Read again as after a restart: from the file, by printer name.
    const QString file = home.filePath();
    ASSERT_EQ(settings::settingsPath(), file);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_EQ(settings::loadCalibration(QStringLiteral("Office Laser")), office);
    EXPECT_EQ(settings::loadCalibration(QStringLiteral("ipp://host/printers/ラベル")), slashed);
    EXPECT_EQ(settings::loadCalibration(QStringLiteral("Never Seen")), Calibration{});
    // Out of range values are kept within what the dialog allows.
    EXPECT_EQ(settings::loadCalibration(QStringLiteral("Far Off")), (Calibration{20, -20, 105, 95, -2}));
    EXPECT_EQ(settings::calibratedPrinters(),
              (QStringList{QStringLiteral("Far Off"), QStringLiteral("Office Laser"), QStringLiteral("ipp://host/printers/ラベル")}));
    EXPECT_FALSE(settings::takeDamage());

    // Earlier versions wrote the file through QSettings, without a rotation; either reads what the
    // other wrote.
    {
        QSettings qt(file, QSettings::IniFormat);
        EXPECT_EQ(qt.childGroups(), QStringList{QStringLiteral("printers")});
        EXPECT_EQ(qt.value(QStringLiteral("printers/Office%20Laser/offset_y_mm")).toDouble(), -0.7);
        qt.setValue(QStringLiteral("printers/Old%20Laser/scale_x_percent"), 102.5);
        qt.setValue(QStringLiteral("window/size"), QStringLiteral("a, b"));
    }
    EXPECT_EQ(settings::loadCalibration(QStringLiteral("Old Laser")), (Calibration{0, 0, 102.5, 100}));
    settings::saveCalibration(QStringLiteral("Office Laser"), slashed);
    QSettings qt(file, QSettings::IniFormat);
    EXPECT_EQ(qt.value(QStringLiteral("window/size")).toString(), QStringLiteral("a, b"));
    EXPECT_EQ(qt.value(QStringLiteral("printers/Old%20Laser/scale_x_percent")).toDouble(), 102.5);
    EXPECT_EQ(qt.value(QStringLiteral("printers/Office%20Laser/offset_x_mm")).toDouble(), -20);
}

TEST(Settings, ADamagedFileReadsAsEmptyIsReportedOnceAndIsReplacedOnlyByAStoredCorrection)
{
    struct Case {
        const char* what;
        QByteArray bytes; // written as the file, unless a folder or FIFO stands there
        int line;         // the line reported; 0 for a file that cannot be read
    } cases[] = {
        {"an unclosed section", "[printers]\nA\\offset_x_mm=3\n[printers\n", 3},
        {"a line with no value", "[printers]\nA\\offset_x_mm=3\ngarbage\n", 3},
        {"bytes that are no text", "[printers]\nA\\offset_x_mm=\xff\xfe\n", 2},
        {"a NUL", QByteArray("[printers]\0\n", 12), 1},
        {"a folder", {}, 0},
        {"a FIFO", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TemporarySettings home;
        const QString file = home.filePath();
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (std::string(c.what) == "a folder")
            QDir().mkpath(file);
        else if (std::string(c.what) == "a FIFO")
            ASSERT_EQ(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else
            writeBytes(file, c.bytes);

        EXPECT_EQ(settings::loadCalibration(QStringLiteral("A")), labeldata::Calibration{});
        EXPECT_TRUE(settings::calibratedPrinters().isEmpty());
        const auto damage = settings::takeDamage();
        ASSERT_TRUE(damage);
        EXPECT_EQ(damage->path, file);
        EXPECT_EQ(damage->line, c.line);
        EXPECT_EQ(damage->error.has_value(), c.line == 0);
        settings::loadCalibration(QStringLiteral("A"));
        EXPECT_FALSE(settings::takeDamage()) << "reported once";
        if (c.line > 0) {
            EXPECT_EQ(fileBytes(file), c.bytes) << "left as it was";
            settings::saveCalibration(QStringLiteral("B"), {1, 2, 101, 99});
            EXPECT_EQ(settings::calibratedPrinters(), QStringList{QStringLiteral("B")});
            EXPECT_EQ(settings::loadCalibration(QStringLiteral("B")), (labeldata::Calibration{1, 2, 101, 99}));
            EXPECT_FALSE(settings::takeDamage());
        }
    }
}
