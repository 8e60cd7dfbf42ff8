#include "editor/StyleName.h"

#include "labeldata/Cp932.h"

#include <QStringDecoder>

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

QStringList visibleTexts(const std::vector<std::string_view>& names)
{
    // Visible parts joined by zero bytes, which no visible part contains.
    QByteArray joined;
    bool ascii = true;
    // A name whose last character lacks its second byte reads differently at the end of the
    // input than before a separator; such rare names are read alone.
    std::vector<size_t> alone;
    for (size_t n = 0; n < names.size(); ++n) {
        const std::string_view name = names[n];
        const size_t end = std::min(name.find('\0'), name.size());
        size_t i = 0;
        while (i < end) {
            const auto byte = static_cast<unsigned char>(name[i]);
            ascii = ascii && byte >= 0x20 && byte <= 0x7E;
            i += cp932::isLeadByte(byte) ? 2 : 1;
        }
        if (i > end)
            alone.push_back(n);
        else
            joined.append(name.data(), qsizetype(end));
        joined.append('\0');
    }
    if (!joined.isEmpty())
        joined.chop(1);
    QStringList texts;
    if (ascii) {
        // Printable ASCII reads the same in the code page (its control codes do not).
        texts = QString::fromLatin1(joined).split(QChar(0));
    } else {
        QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
        texts = QString(decoder.decode(joined)).split(QChar(0));
    }
    if (names.empty())
        texts.clear();
    if (qsizetype(names.size()) == texts.size())
        for (size_t n : alone)
            texts[qsizetype(n)] = cp932::visibleText(names[n]);
    // A broken double-byte character could swallow a separator; then go name by name.
    if (qsizetype(names.size()) != texts.size()) {
        texts.clear();
        for (const std::string_view name : names)
            texts.append(cp932::visibleText(name));
    }
    return texts;
}
