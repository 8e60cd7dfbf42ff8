#include "editor/StyleName.h"

#include "labeldata/Cp932.h"

std::string encodeName(const QString& text)
{
    if (auto bytes = cp932::encode(text))
        return *bytes;
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype step = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const auto one = cp932::encode(text.mid(i, step));
        bytes += one ? *one : std::string("?");
        i += step - 1;
    }
    return bytes;
}

std::string makeStyleName(const QString& text)
{
    constexpr size_t slot = 18;
    std::string name = cp932::cutToBytes(encodeName(text), slot);
    if (name.size() < slot)
        name += '\0';
    return name;
}
