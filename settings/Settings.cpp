#include "settings/Settings.h"

#include "labeldata/FileAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <mutex>
#include <vector>

namespace settings {

namespace {

// One "key=value" line of the INI text. Section, key and value are kept as written, so lines this
// program does not know are written back unchanged; name is the decoded "section/key".
struct Entry {
    QByteArray section;
    QByteArray key;
    QByteArray value;
    QString name;
};

struct Ini {
    std::vector<Entry> entries;
    std::optional<SettingsDamage> damage;
};

bool plainKeyCharacter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-'
        || c == u'.';
}

// Keys are written as QSettings writes them, so a file written by either reads the same.
QByteArray escapedKey(const QString& key)
{
    QByteArray out;
    for (const QChar ch : key) {
        const char16_t c = ch.unicode();
        if (c == u'/')
            out += '\\';
        else if (plainKeyCharacter(c))
            out += char(c);
        else if (c <= 0xff)
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QString unescapedKey(QByteArrayView raw)
{
    QString out;
    const QString text = QString::fromUtf8(raw);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\') {
            out += u'/';
            continue;
        }
        if (c == u'%') {
            const bool wide = i + 1 < text.size() && text[i + 1] == u'U';
            const qsizetype digits = wide ? 4 : 2, from = wide ? i + 2 : i + 1;
            bool ok = false;
            const uint code = text.mid(from, digits).toUInt(&ok, 16);
            if (ok && from + digits <= text.size()) {
                out += QChar(char16_t(code));
                i = from + digits - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString sectionName(QByteArrayView raw)
{
    const QString name = unescapedKey(raw);
    if (name.compare(u"General", Qt::CaseInsensitive) == 0)
        return {};
    return name == u"%General" ? QStringLiteral("General") : name;
}

QString entryName(const QByteArray& section, const QByteArray& key)
{
    const QString s = sectionName(section), k = unescapedKey(key);
    return s.isEmpty() ? k : s + u'/' + k;
}

// The text QSettings writes and reads back: sections, "key=value" lines, comments after ';' or '#'.
Ini parse(const QByteArray& text, const QString& path)
{
    Ini ini;
    QByteArray section;
    int number = 0;
    for (const QByteArray& whole : text.split('\n')) {
        ++number;
        const QByteArray line = whole.trimmed();
        QStringDecoder utf8(QStringDecoder::Utf8);
        (void)QString(utf8(line));
        const bool readable = !utf8.hasError() && !line.contains('\0');
        if (readable && (line.isEmpty() || line.startsWith(';') || line.startsWith('#')))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (readable && line.startsWith('[') && line.endsWith(']') && line.size() > 2) {
            section = line.sliced(1, line.size() - 2).trimmed();
            continue;
        }
        if (!readable || line.startsWith('[') || equals <= 0) {
            ini.entries.clear();
            ini.damage = SettingsDamage{path, number, std::nullopt};
            return ini;
        }
        Entry e{section, line.first(equals).trimmed(), line.sliced(equals + 1).trimmed(), {}};
        e.name = entryName(e.section, e.key);
        ini.entries.push_back(std::move(e));
    }
    return ini;
}

QByteArray format(const std::vector<Entry>& entries)
{
    // Sections in the order they first appear, each written once with its keys sorted, as QSettings does.
    std::vector<QByteArray> sections;
    for (const Entry& e : entries)
        if (std::find(sections.begin(), sections.end(), e.section) == sections.end())
            sections.push_back(e.section);
    // Lines before any section belong to none; after another section's they would join it.
    std::stable_partition(sections.begin(), sections.end(), [](const QByteArray& s) { return s.isEmpty(); });
    QByteArray out;
    for (const QByteArray& section : sections) {
        std::vector<const Entry*> lines;
        for (const Entry& e : entries)
            if (e.section == section)
                lines.push_back(&e);
        std::stable_sort(lines.begin(), lines.end(), [](const Entry* a, const Entry* b) { return a->name < b->name; });
        if (!out.isEmpty())
            out += '\n';
        if (!section.isEmpty())
            out += '[' + section + "]\n";
        for (const Entry* e : lines)
            out += e->key + '=' + e->value + '\n';
    }
    return out;
}

std::mutex damageMutex;
std::optional<SettingsDamage> pendingDamage;
// What the damage last handed out was; the same damage read again is not reported again.
QString reportedDamage;

QString damageKey(const SettingsDamage& d)
{
    return d.path + u'\n' + QString::number(d.line) + u'\n' + (d.error ? QString::fromUtf8(d.error->what()) : QString());
}

// The file as it is now; a damaged one reads as empty and is reported.
Ini readSettings()
{
    const QString path = settingsPath();
    Ini ini;
    try {
        if (labeldata::fileKind(path) != labeldata::FileKind::Missing)
            ini = parse(labeldata::readRegularFile(path), path);
    } catch (const labeldata::FileError& e) {
        ini.damage = SettingsDamage{path, 0, e};
    }
    const std::lock_guard lock(damageMutex);
    if (!ini.damage)
        reportedDamage.clear();
    else if (damageKey(*ini.damage) != reportedDamage)
        pendingDamage = ini.damage;
    return ini;
}

const QByteArray PrintersSection = QByteArrayLiteral("printers");

// A printer's name may hold '/' or '\\', which a settings key would read as groups.
QString printerGroup(const QString& printerName)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

struct Field {
    const char* key;
    double labeldata::Calibration::*member;
};
constexpr Field Fields[] = {
    {"offset_x_mm", &labeldata::Calibration::offsetX},  {"offset_y_mm", &labeldata::Calibration::offsetY},
    {"scale_x_percent", &labeldata::Calibration::scaleX}, {"scale_y_percent", &labeldata::Calibration::scaleY},
    {"rotation_deg", &labeldata::Calibration::rotation}, // absent in files from before: 0°
};

QString fieldName(const QString& printerName, const char* key)
{
    return QString::fromLatin1(PrintersSection) + u'/' + printerGroup(printerName) + u'/' + QLatin1String(key);
}

// A value as QSettings writes a string: quoted when it holds separators.
QByteArray unquoted(QByteArray value)
{
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.sliced(1, value.size() - 2);
    return value;
}

} // namespace

QString settingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/tessel/vellumo.ini");
}

labeldata::Calibration loadCalibration(const QString& printerName)
{
    const Ini ini = readSettings();
    labeldata::Calibration c;
    for (const Field& f : Fields) {
        const QString name = fieldName(printerName, f.key);
        // The last of repeated keys holds, as in QSettings.
        for (const Entry& e : ini.entries)
            if (e.name == name) {
                bool ok = false;
                const double v = unquoted(e.value).toDouble(&ok);
                if (ok)
                    c.*f.member = v;
            }
    }
    return labeldata::clamped(c);
}

void saveCalibration(const QString& printerName, const labeldata::Calibration& calibration)
{
    const labeldata::Calibration c = labeldata::clamped(calibration);
    Ini ini = readSettings();
    for (const Field& f : Fields) {
        const QString name = fieldName(printerName, f.key);
        std::erase_if(ini.entries, [&](const Entry& e) { return e.name == name; });
        Entry e{PrintersSection, escapedKey(printerGroup(printerName) + u'/' + QLatin1String(f.key)),
                QString::number(c.*f.member, 'g', QLocale::FloatingPointShortest).toLatin1(), name};
        ini.entries.push_back(std::move(e));
    }
    const QString path = settingsPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    labeldata::writeFileDurably(path, format(ini.entries));
    const std::lock_guard lock(damageMutex);
    pendingDamage.reset();
    reportedDamage.clear();
}

QStringList calibratedPrinters()
{
    QStringList names;
    const QString prefix = QString::fromLatin1(PrintersSection) + u'/';
    for (const Entry& e : readSettings().entries) {
        if (!e.name.startsWith(prefix))
            continue;
        const QString group = e.name.sliced(prefix.size()).section(u'/', 0, 0);
        const QString name = QUrl::fromPercentEncoding(group.toLatin1());
        if (e.name.count(u'/') == 2 && !names.contains(name))
            names << name;
    }
    return names;
}

std::optional<SettingsDamage> takeDamage()
{
    const std::lock_guard lock(damageMutex);
    std::optional<SettingsDamage> damage = std::move(pendingDamage);
    pendingDamage.reset();
    if (damage)
        reportedDamage = damageKey(*damage);
    return damage;
}

} // namespace settings
