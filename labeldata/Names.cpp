#include "labeldata/Names.h"

#include "labeldata/Cp932.h"

#include <algorithm>

namespace labeldata {

std::string makeStyleName(const QString& text)
{
    std::string name = cp932::cutToBytes(cp932::encodeLenient(text), StyleNameMaxBytes);
    if (name.size() < StyleNameMaxBytes)
        name += '\0';
    return name;
}

std::string makeGroupName(const QString& text)
{
    return cp932::encodeLenient(text) + '\0';
}

std::string makeGroupName(const QString& text, std::string_view readBytes)
{
    const std::string_view visible = readBytes.substr(0, readBytes.find('\0'));
    if (text != cp932::visibleText(visible))
        return makeGroupName(text);
    return std::string(visible) + '\0';
}

QString uniqueName(const QString& name, TakenNames& taken)
{
    QString unique = name;
    if (taken.names.contains(unique)) {
        // Numbers below it were taken when tried, and a name once taken stays so.
        int& n = taken.next[name];
        n = std::max(n, 2);
        do
            unique = QStringLiteral("%1 (%2)").arg(name).arg(n++);
        while (taken.names.contains(unique));
    }
    taken.names.insert(unique);
    return unique;
}

} // namespace labeldata
