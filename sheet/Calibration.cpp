#include "sheet/Calibration.h"

#include "labeldata/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace sheet {

namespace {

// The program's only settings file, in the user's configuration folder.
QString settingsPath()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tessel"), QStringLiteral("vellumo"))
        .fileName();
}

// The settings file's text; empty when there is none yet. Only a regular file is read.
QByteArray settingsText(const QString& path)
{
    if (labeldata::fileKind(path) == labeldata::FileKind::Missing)
        return {};
    return labeldata::readRegularFile(path);
}

// For reading only: a settings file that cannot be read leaves every printer uncalibrated.
QByteArray readableSettingsText()
{
    try {
        return settingsText(settingsPath());
    } catch (const labeldata::FileError&) {
        return {};
    }
}

// QSettings only reads and writes the text, in a scratch copy: on its own file it would replace it
// without syncing the folder, let a failed sync pass unseen, and keep a cache of it that a file
// replaced within the same millisecond can fool.
class ScratchSettings {
public:
    explicit ScratchSettings(const QByteArray& text)
    {
        if (!FFolder.isValid())
            throw labeldata::FileError(labeldata::FileError::Operation::Create, FFolder.path(), FFolder.errorString());
        FPath = FFolder.filePath(QStringLiteral("settings.ini"));
        QFile file(FPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
            throw labeldata::FileError(labeldata::FileError::Operation::Write, FPath, file.errorString());
        FSettings.emplace(FPath, QSettings::IniFormat);
    }
    QSettings& settings() { return *FSettings; }
    QByteArray text()
    {
        FSettings->sync();
        if (FSettings->status() != QSettings::NoError)
            throw labeldata::FileError(labeldata::FileError::Operation::Write, FPath, QStringLiteral("settings not written"));
        return labeldata::readRegularFile(FPath);
    }

private:
    QTemporaryDir FFolder;
    QString FPath;
    std::optional<QSettings> FSettings;
};

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
    ScratchSettings scratch(readableSettingsText());
    QSettings& s = scratch.settings();
    s.beginGroup(groupFor(printerName));
    return clamped({readNumber(s, QStringLiteral("offset_x_mm"), 0), readNumber(s, QStringLiteral("offset_y_mm"), 0),
                    readNumber(s, QStringLiteral("scale_x_percent"), 100),
                    readNumber(s, QStringLiteral("scale_y_percent"), 100)});
}

void saveCalibration(const QString& printerName, const Calibration& calibration)
{
    const Calibration c = clamped(calibration);
    const QString path = settingsPath();
    ScratchSettings scratch(settingsText(path));
    QSettings& s = scratch.settings();
    s.beginGroup(groupFor(printerName));
    s.setValue(QStringLiteral("offset_x_mm"), c.offsetX);
    s.setValue(QStringLiteral("offset_y_mm"), c.offsetY);
    s.setValue(QStringLiteral("scale_x_percent"), c.scaleX);
    s.setValue(QStringLiteral("scale_y_percent"), c.scaleY);
    s.endGroup();
    const QByteArray text = scratch.text();
    QDir().mkpath(QFileInfo(path).absolutePath());
    labeldata::writeFileDurably(path, text);
}

QStringList calibratedPrinters()
{
    ScratchSettings scratch(readableSettingsText());
    QSettings& s = scratch.settings();
    s.beginGroup(QStringLiteral("printers"));
    QStringList names;
    for (const QString& group : s.childGroups())
        names << QUrl::fromPercentEncoding(group.toLatin1());
    return names;
}

} // namespace sheet
