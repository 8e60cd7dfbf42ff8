#include "TemplateJson.h"

#include "labeldata/Cp932.h"
#include "labeldata/Names.h"
#include "labeldata/StyleFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <charconv>
#include <cmath>

namespace {

using labeldata::StyleField;
using labeldata::StyleFields;

QString keyOf(const StyleField& f)
{
    return QString::fromLatin1(f.key.data(), qsizetype(f.key.size()));
}

void appendJsonString(std::string& out, const QString& text)
{
    out += '"';
    for (unsigned char c : text.toStdString()) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20) {
                static const char digits[] = "0123456789abcdef";
                out += "\\u00";
                out += digits[c >> 4];
                out += digits[c & 15];
            } else {
                out += char(c);
            }
        }
    }
    out += '"';
}

void appendName(std::string& out, std::string_view bytes)
{
    out += "{\"text\": ";
    appendJsonString(out, cp932::visibleText(bytes));
    out += ", \"bytes\": \"" + toHex(bytes) + "\"}";
}

std::string shortest(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

[[noreturn]] void refuse(const QString& field, const QString& problem)
{
    throw JsonInputError((field + ": " + problem).toStdString());
}

std::string fromHex(const QString& hex, const QString& field)
{
    std::string out;
    int high = -1;
    for (QChar c : hex) {
        if (c.isSpace())
            continue;
        const int v = c >= u'0' && c <= u'9' ? c.unicode() - '0'
            : c >= u'a' && c <= u'f'         ? c.unicode() - 'a' + 10
            : c >= u'A' && c <= u'F'         ? c.unicode() - 'A' + 10
                                             : -1;
        if (v < 0)
            refuse(field, QStringLiteral("'%1' is not a hexadecimal digit").arg(c));
        if (high < 0) {
            high = v;
        } else {
            out.push_back(char(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0)
        refuse(field, QStringLiteral("an odd number of hexadecimal digits"));
    return out;
}

QJsonValue member(const QJsonObject& object, const QString& key, const QString& where)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        refuse(where + key, QStringLiteral("missing"));
    return value;
}

void refuseUnknownKeys(const QJsonObject& object, const QSet<QString>& known, const QString& where)
{
    for (const QString& key : object.keys())
        if (!known.contains(key))
            refuse(where + key, QStringLiteral("unknown field"));
}

// A name object: exact bytes, or text made into bytes the way the editor makes them.
std::string readName(const QJsonValue& value, const QString& field, bool isGroup)
{
    if (!value.isObject())
        refuse(field, QStringLiteral("must be an object with \"text\" and/or \"bytes\""));
    const QJsonObject object = value.toObject();
    refuseUnknownKeys(object, {"text", "bytes"}, field + '.');
    const QJsonValue text = object.value("text");
    const QJsonValue bytes = object.value("bytes");
    if (text.isUndefined() && bytes.isUndefined())
        refuse(field, QStringLiteral("needs \"text\" or \"bytes\""));
    if (!text.isUndefined() && !text.isString())
        refuse(field + ".text", QStringLiteral("must be a string"));
    if (!bytes.isUndefined() && !bytes.isString())
        refuse(field + ".bytes", QStringLiteral("must be a string of hexadecimal digits"));

    if (!bytes.isUndefined()) {
        const std::string raw = fromHex(bytes.toString(), field + ".bytes");
        // As read: a group name's slot and the count's low byte, a style name's slot and its zero.
        const size_t max = isGroup ? labeldata::tpl::GroupNameReadSize : labeldata::tpl::NameReadSize;
        if (raw.size() > max)
            refuse(field + ".bytes", QStringLiteral("%1 bytes do not fit; at most %2").arg(raw.size()).arg(max));
        // An edited text beside stale bytes would otherwise be dropped without a word.
        if (!text.isUndefined() && cp932::visibleText(raw) != text.toString())
            refuse(field, QStringLiteral("\"text\" does not match the visible text of \"bytes\"; give one of them"));
        return raw;
    }

    const QString visible = text.toString();
    if (visible.contains(QChar(0)))
        refuse(field + ".text", QStringLiteral("must not contain a NUL character"));
    const auto encoded = cp932::encode(visible);
    if (!encoded)
        refuse(field + ".text", QStringLiteral("contains characters that code page 932 cannot hold"));
    if (isGroup) {
        if (int(encoded->size()) > labeldata::GroupNameMaxBytes)
            refuse(field + ".text", QStringLiteral("is %1 bytes in code page 932; at most %2 fit")
                                        .arg(encoded->size())
                                        .arg(labeldata::GroupNameMaxBytes));
        return labeldata::makeGroupName(visible);
    }
    return labeldata::makeStyleName(visible);
}

void readNumber(const QJsonObject& object, const StyleField& f, const QString& where, Tlabelpar& style)
{
    const QString field = where + keyOf(f);
    const QJsonValue value = member(object, keyOf(f), where);
    if (!value.isDouble())
        refuse(field, QStringLiteral("must be a number"));
    const double v = value.toDouble();
    if (!f.isLength()) {
        if (v != std::floor(v) || v < 0 || v > 65535)
            refuse(field, QStringLiteral("must be a whole number from 0 to 65535"));
        style.*f.count = int32_t(v);
    } else {
        if (v < 0 || MmToMil(v) > 65535)
            refuse(field, QStringLiteral("%1 mm is outside what the file holds, 0 to %2 mm")
                              .arg(v)
                              .arg(MilToMm(65535)));
        style.*f.length = v;
    }
}

} // namespace

std::string toHex(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string templateToJson(const Tdatatree& set)
{
    std::string out = "{\n  \"group_name\": ";
    appendName(out, set.GroupName);
    out += ",\n  \"styles\": [";
    for (size_t i = 0; i < set.LabelList.size(); ++i) {
        const Tlabelpar& s = set.LabelList[i];
        out += i ? ",\n    {\n" : "\n    {\n";
        out += "      \"name\": ";
        appendName(out, s.Name);
        for (const StyleField& f : StyleFields) {
            out += ",\n      \"";
            out += f.key;
            out += "\": ";
            out += f.isLength() ? shortest(s.*f.length) : std::to_string(s.*f.count);
        }
        out += "\n    }";
    }
    out += set.LabelList.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

void templateFromJson(const QByteArray& json, Tdatatree& set)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw JsonInputError(QStringLiteral("not valid JSON at offset %1: %2")
                                 .arg(error.offset)
                                 .arg(error.errorString())
                                 .toStdString());
    if (!document.isObject())
        throw JsonInputError("the JSON text must be an object with \"group_name\" and \"styles\"");
    const QJsonObject root = document.object();
    refuseUnknownKeys(root, {"group_name", "styles"}, QString());

    std::string groupName = readName(member(root, "group_name", QString()), "group_name", true);
    const QJsonValue stylesValue = member(root, "styles", QString());
    if (!stylesValue.isArray())
        refuse("styles", QStringLiteral("must be an array"));
    const QJsonArray styles = stylesValue.toArray();
    if (size_t(styles.size()) > Tdatatree::MaxStyles)
        refuse("styles", QStringLiteral("%1 styles; a file holds at most %2").arg(styles.size()).arg(Tdatatree::MaxStyles));

    std::vector<Tlabelpar> list;
    list.reserve(size_t(styles.size()));
    QSet<QString> known{"name"};
    for (const StyleField& f : StyleFields)
        known.insert(keyOf(f));
    for (qsizetype i = 0; i < styles.size(); ++i) {
        const QString where = QStringLiteral("styles[%1].").arg(i);
        if (!styles[i].isObject())
            refuse(where.chopped(1), QStringLiteral("must be an object"));
        const QJsonObject object = styles[i].toObject();
        refuseUnknownKeys(object, known, where);
        Tlabelpar& style = list.emplace_back();
        style.Name = readName(member(object, "name", where), where + "name", false);
        for (const StyleField& f : StyleFields)
            readNumber(object, f, where, style);
    }

    set.Clear();
    set.GroupName = std::move(groupName);
    set.LabelList = std::move(list);
}
