#include "labeldata/Cp932.h"

namespace cp932 {

namespace {
constexpr const char* CodecName = "windows-31j";
} // namespace

QStringDecoder decoder() { return QStringDecoder(CodecName, QStringConverter::Flag::Stateless); }
QStringEncoder encoder() { return QStringEncoder(CodecName, QStringConverter::Flag::Stateless); }

namespace {

QString decode(const char* data, size_t size, bool* ok)
{
    QStringDecoder d = decoder();
    QString text = d.decode(QByteArrayView(data, qsizetype(size)));
    if (ok)
        *ok = !d.hasError();
    return text;
}

bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The converter shows a byte it cannot map as U+001A, which looks like nothing and is also what
// a real control code could give; such names go character by character, each failure one U+FFFD.
QString decodeShowingFailures(std::string_view bytes)
{
    bool ok = false;
    QString text = decode(bytes.data(), bytes.size(), &ok);
    if (ok)
        return text;
    text.clear();
    for (size_t i = 0; i < bytes.size();) {
        size_t width = 1;
        if (isLeadByte(uint8_t(bytes[i])) && i + 1 < bytes.size() && isTrailByte(uint8_t(bytes[i + 1])))
            width = 2;
        const QString one = decode(bytes.data() + i, width, &ok);
        text += ok && !one.isEmpty() ? one : QString(QChar(QChar::ReplacementCharacter));
        i += width;
    }
    return text;
}

} // namespace

QString visibleText(std::string_view bytes)
{
    return decodeShowingFailures(bytes.substr(0, bytes.find('\0')));
}

std::optional<std::string> encode(const QString& text)
{
    QStringEncoder e = encoder();
    const QByteArray bytes = e.encode(text);
    if (e.hasError())
        return std::nullopt;
    // A character stored through a fallback mapping would come back as another one.
    bool ok = false;
    if (decode(bytes.constData(), size_t(bytes.size()), &ok) != text || !ok)
        return std::nullopt;
    return std::string(bytes.constData(), size_t(bytes.size()));
}

bool canEncode(const QString& text) { return encode(text).has_value(); }

bool canEncode(char16_t c)
{
    // Every character the code page holds is what one of its byte sequences decodes to; the
    // whole set is then encoded once to keep only those that read back the same.
    static const std::optional<std::vector<bool>> table = []() -> std::optional<std::vector<bool>> {
        QByteArray sequences;
        for (int first = 0; first < 256; ++first) {
            if (!isLeadByte(uchar(first))) {
                sequences += char(first);
                continue;
            }
            for (int second = 0x40; second <= 0xFC; ++second)
                if (second != 0x7F) {
                    sequences += char(first);
                    sequences += char(second);
                }
        }
        const QString decoded = decoder().decode(sequences);
        std::vector<bool> held(0x10000, false);
        QString all;
        for (const QChar ch : decoded)
            if (!ch.isSurrogate() && ch != QChar::ReplacementCharacter && !held[ch.unicode()]) {
                held[ch.unicode()] = true;
                all += ch;
            }
        if (!canEncode(all))
            return std::nullopt;
        return held;
    }();
    return table ? bool((*table)[c]) : canEncode(QString(QChar(c)));
}

int byteLength(const QString& text)
{
    const auto bytes = encode(text);
    return bytes ? int(bytes->size()) : -1;
}

int storedLength(const QString& text)
{
    QStringEncoder e = encoder();
    if (!e.isValid())
        return int(text.toUtf8().size());
    const QByteArray whole = e.encode(text);
    if (!e.hasError())
        return int(whole.size());
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype step = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one = encoder();
        const QByteArray encoded = one.encode(text.mid(i, step));
        bytes += one.hasError() || encoded.isEmpty() ? 1 : int(encoded.size());
        i += step - 1;
    }
    return bytes;
}

std::string encodeLenient(const QString& text)
{
    if (auto bytes = encode(text))
        return *bytes;
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype step = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const auto one = encode(text.mid(i, step));
        bytes += one ? *one : std::string("?");
        i += step - 1;
    }
    return bytes;
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
            i += isLeadByte(byte) ? 2 : 1;
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
        QStringDecoder d = decoder();
        texts = QString(d.decode(joined)).split(QChar(0));
        // Bytes that are no character show as visibleText shows them, name by name.
        if (d.hasError())
            texts.clear();
    }
    if (names.empty())
        texts.clear();
    if (qsizetype(names.size()) == texts.size())
        for (size_t n : alone)
            texts[qsizetype(n)] = visibleText(names[n]);
    // A broken double-byte character could swallow a separator; then go name by name.
    if (qsizetype(names.size()) != texts.size()) {
        texts.clear();
        for (const std::string_view name : names)
            texts.append(visibleText(name));
    }
    return texts;
}

std::string cutToBytes(std::string_view bytes, size_t max)
{
    size_t end = 0;
    while (end < bytes.size()) {
        const size_t width = isLeadByte(uint8_t(bytes[end])) ? 2 : 1;
        if (end + width > max)
            break;
        end += width;
    }
    return std::string(bytes.substr(0, std::min(end, bytes.size())));
}

bool isValid(std::string_view bytes)
{
    bool ok = false;
    decode(bytes.data(), bytes.size(), &ok);
    return ok;
}

} // namespace cp932
