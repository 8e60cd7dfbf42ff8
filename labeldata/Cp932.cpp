#include "labeldata/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace cp932 {

namespace {

constexpr const char* CodecName = "windows-31j";

// A fresh converter per call: resetting an ICU-backed one also drops its error reporting.
QStringDecoder decoder() { return QStringDecoder(CodecName, QStringConverter::Flag::Stateless); }
QStringEncoder encoder() { return QStringEncoder(CodecName, QStringConverter::Flag::Stateless); }

QString decode(const char* data, size_t size, bool* ok)
{
    QStringDecoder d = decoder();
    QString text = d.decode(QByteArrayView(data, qsizetype(size)));
    if (ok)
        *ok = !d.hasError();
    return text;
}

} // namespace

QString visibleText(std::string_view bytes)
{
    const size_t end = bytes.find('\0');
    return decode(bytes.data(), end == std::string_view::npos ? bytes.size() : end, nullptr);
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

int byteLength(const QString& text)
{
    const auto bytes = encode(text);
    return bytes ? int(bytes->size()) : -1;
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
