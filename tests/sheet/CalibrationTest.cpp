#include "sheet/Calibration.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

TEST(Calibration, KeptPerPrinterNameInTheUsersSettingsFile)
{
    QTemporaryDir home;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    const sheet::Calibration office{1.5, -0.7, 101, 99};
    const sheet::Calibration slashed{-20, 20, 95, 105};
    sheet::saveCalibration(QStringLiteral("Office Laser"), office);
    sheet::saveCalibration(QStringLiteral("ipp://host/printers/ラベル"), slashed);
    sheet::saveCalibration(QStringLiteral("Far Off"), {35, -99, 200, 1});

    // Read again as after a restart: from the file, by printer name.
    const QString file = home.filePath(QStringLiteral("tessel/vellumo.ini"));
    ASSERT_TRUE(QFile::exists(file));
    QSettings reread(file, QSettings::IniFormat);
    EXPECT_EQ(reread.childGroups(), QStringList{QStringLiteral("printers")});

    EXPECT_EQ(sheet::loadCalibration(QStringLiteral("Office Laser")), office);
    EXPECT_EQ(sheet::loadCalibration(QStringLiteral("ipp://host/printers/ラベル")), slashed);
    EXPECT_EQ(sheet::loadCalibration(QStringLiteral("Never Seen")), sheet::Calibration{});
    // Out of range values are kept within what the dialog allows.
    EXPECT_EQ(sheet::loadCalibration(QStringLiteral("Far Off")), (sheet::Calibration{20, -20, 105, 95}));
}
