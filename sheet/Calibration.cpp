#include "sheet/Calibration.h"

#include <QSettings>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <memory>

namespace sheet {

namespace {

// The program's only settings, kept in the user's configuration folder.
std::unique_ptr<QSettings> settings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tessel"),
                                       QStringLiteral("vellumo"));
}

// A printer's name may hold '/' or '\\', which a settings key would read as groups.
QString groupFor(const QString& printerName)
{
    return QStringLiteral("printers/") + QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

double limited(double v, double low, double high, double otherwise)
{
    return std::isfinite(v) ? std::clamp(v, low, high) : otherwise;
}

double readNumber(const QSettings& s, const QString& key, double otherwise)
{
    bool ok = false;
    const double v = s.value(key).toDouble(&ok);
    return ok ? v : otherwise;
}

} // namespace

Calibration clamped(const Calibration& c)
{
    return {limited(c.offsetX, -OffsetLimit, OffsetLimit, 0), limited(c.offsetY, -OffsetLimit, OffsetLimit, 0),
            limited(c.scaleX, ScaleMin, ScaleMax, 100), limited(c.scaleY, ScaleMin, ScaleMax, 100)};
}

Calibration loadCalibration(const QString& printerName)
{
    const auto settingsFile = settings();
    QSettings& s = *settingsFile;
    s.beginGroup(groupFor(printerName));
    return clamped({readNumber(s, QStringLiteral("offset_x_mm"), 0), readNumber(s, QStringLiteral("offset_y_mm"), 0),
                    readNumber(s, QStringLiteral("scale_x_percent"), 100),
                    readNumber(s, QStringLiteral("scale_y_percent"), 100)});
}

void saveCalibration(const QString& printerName, const Calibration& calibration)
{
    const Calibration c = clamped(calibration);
    const auto settingsFile = settings();
    QSettings& s = *settingsFile;
    s.beginGroup(groupFor(printerName));
    s.setValue(QStringLiteral("offset_x_mm"), c.offsetX);
    s.setValue(QStringLiteral("offset_y_mm"), c.offsetY);
    s.setValue(QStringLiteral("scale_x_percent"), c.scaleX);
    s.setValue(QStringLiteral("scale_y_percent"), c.scaleY);
    s.endGroup();
    s.sync();
}

QStringList calibratedPrinters()
{
    const auto settingsFile = settings();
    QSettings& s = *settingsFile;
    s.beginGroup(QStringLiteral("printers"));
    QStringList names;
    for (const QString& group : s.childGroups())
        names << QUrl::fromPercentEncoding(group.toLatin1());
    return names;
}

} // namespace sheet
