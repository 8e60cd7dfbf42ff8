#include "labeldata/Names.h"

#include "labeldata/Cp932.h"

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

QString uniqueName(const QString& name, QSet<QString>& taken)
{
    QString unique = name;
    for (int n = 2; taken.contains(unique); ++n)
        unique = QStringLiteral("%1 (%2)").arg(name).arg(n);
    taken.insert(unique);
    return unique;
}

} // namespace labeldata
