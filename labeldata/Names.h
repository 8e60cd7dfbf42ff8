#pragma once

#include "labeldata/TemplateFormat.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <unordered_set>

// How the editor (and anything that makes names the way it does) turns typed text into the
// bytes of a style's or a set's name.
namespace labeldata {

// A style name keeps at most the slot; a shorter one ends in one zero byte.
inline constexpr size_t StyleNameMaxBytes = tpl::NameSlot;
// The group-name box takes this many bytes, so the slot's last byte stays zero.
inline constexpr int GroupNameMaxBytes = 14;

// A style's Name from the typed text: at most 18 bytes, never half a double-byte character, and
// one zero byte after it when it is shorter. A character the code page lacks becomes "?".
std::string makeStyleName(const QString& text);
// A set's GroupName from the typed text: its bytes and one zero byte.
std::string makeGroupName(const QString& text);
// The same, except that while the text is exactly what the group name read from a file decodes
// to, its bytes are kept: the user has not touched them, and bytes that are no character, or that
// two codes share, would not encode back the same.
std::string makeGroupName(const QString& text, std::string_view readBytes);

// The names given so far to one set's styles.
struct TakenNames {
    QSet<QString> names;
    // For a name given more than once, the number to try next: a set of thousands of styles of
    // one name stays one look-up a style.
    QHash<QString, int> next;
};

// The name itself while no earlier one took it, else "NAME (2)", "NAME (3)"...; the result is
// added to taken. Exports and imports give every style of one set its own name this way.
QString uniqueName(const QString& name, TakenNames& taken);
// The same for a style's Name as makeStyleName stores it, compared by its visible bytes: the
// first of the choices whose name fits the slot whole, numbered or not; else the last one cut to
// leave its number room, so that stored names never repeat.
std::string uniqueStyleName(const QStringList& choices, std::unordered_set<std::string>& taken);

} // namespace labeldata
