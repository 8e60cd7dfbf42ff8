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

namespace {

// What tells the second and later of one name apart.
QString numberSuffix(int n)
{
    return QStringLiteral(" (%1)").arg(n);
}

} // namespace

QString uniqueName(const QString& name, TakenNames& taken)
{
    QString unique = name;
    if (taken.names.contains(unique)) {
        // Numbers below it were taken when tried, and a name once taken stays so.
        int& n = taken.next[name];
        n = std::max(n, 2);
        do
            unique = name + numberSuffix(n++);
        while (taken.names.contains(unique));
    }
    taken.names.insert(unique);
    return unique;
}

std::string uniqueStyleName(const QStringList& choices, std::unordered_set<std::string>& taken)
{
    const QStringList texts = choices.isEmpty() ? QStringList{QString()} : choices;
    std::string visible;
    for (int n = 1;; ++n) {
        const std::string suffix = n < 2 ? std::string() : numberSuffix(n).toStdString();
        for (qsizetype i = 0; i < texts.size(); ++i) {
            std::string bytes = cp932::encodeLenient(texts[i]);
            bytes.resize(std::min(bytes.size(), bytes.find('\0')));
            if (bytes.size() + suffix.size() > StyleNameMaxBytes && i + 1 < texts.size())
                continue;
            visible = cp932::cutToBytes(bytes, StyleNameMaxBytes - std::min(suffix.size(), StyleNameMaxBytes)) + suffix;
            break;
        }
        if (!taken.contains(visible))
            break;
    }
    taken.insert(visible);
    return visible.size() < StyleNameMaxBytes ? visible + '\0' : visible;
}

} // namespace labeldata
