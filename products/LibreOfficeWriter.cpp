// LibreOffice extensions of label formats: configuration data that adds a manufacturer to
// org.openoffice.Office.Labels, where Writer's label dialog finds the user's own labels.
#include "products/LibreOfficeWriter.h"

#include <QXmlStreamWriter>

#include <zip.h>

#include <cmath>
#include <memory>
#include <stdexcept>

namespace products {

namespace {

const QString Registry = QStringLiteral("http://openoffice.org/2001/registry");
const char ConfigurationFile[] = "labels.xcu";

// Hundredths of a millimetre, the unit of every length in a label's Measure.
QString hundredths(double mm)
{
    return QString::number(std::llround(mm * 100));
}

QString measure(const Tlabelpar& s)
{
    return QStringLiteral("S;%1;%2;%3;%4;%5;%6;%7;%8;%9;%10")
        .arg(hundredths(s.LabelWidth + s.HorizontalSpacing), hundredths(s.LabelHeight + s.VerticalSpacing),
             hundredths(s.LabelWidth), hundredths(s.LabelHeight), hundredths(s.LeftMargin), hundredths(s.TopMargin),
             QString::number(s.Columns), QString::number(s.Rows), hundredths(s.SheetWidth))
        .arg(hundredths(s.SheetHeight));
}

QByteArray configurationData(const LibreOfficeExtension& names, const std::vector<const Tlabelpar*>& styles)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(styles.size()) * 256 + 512);
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeNamespace(Registry, QStringLiteral("oor"));
    xml.writeStartElement(Registry, QStringLiteral("component-data"));
    xml.writeAttribute(Registry, QStringLiteral("name"), QStringLiteral("Labels"));
    xml.writeAttribute(Registry, QStringLiteral("package"), QStringLiteral("org.openoffice.Office"));
    xml.writeStartElement(QStringLiteral("node"));
    xml.writeAttribute(Registry, QStringLiteral("name"), QStringLiteral("Manufacturer"));
    // fuse: the user's own labels of a manufacturer of the same name stay beside these.
    xml.writeStartElement(QStringLiteral("node"));
    xml.writeAttribute(Registry, QStringLiteral("name"), names.brand);
    xml.writeAttribute(Registry, QStringLiteral("op"), QStringLiteral("fuse"));
    for (size_t i = 0; i < styles.size(); ++i) {
        // Writer names the labels it saves "Label0", "Label1"...; these never meet them.
        xml.writeStartElement(QStringLiteral("node"));
        xml.writeAttribute(Registry, QStringLiteral("name"), QStringLiteral("tessel%1").arg(i + 1));
        xml.writeAttribute(Registry, QStringLiteral("op"), QStringLiteral("replace"));
        for (const auto& [prop, value] : {std::pair{QStringLiteral("Name"), names.names[i]},
                                          std::pair{QStringLiteral("Measure"), measure(*styles[i])}}) {
            xml.writeStartElement(QStringLiteral("prop"));
            xml.writeAttribute(Registry, QStringLiteral("name"), prop);
            xml.writeTextElement(QStringLiteral("value"), value);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return bytes;
}

QByteArray manifest()
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    const QString ns = QStringLiteral("http://openoffice.org/2001/manifest");
    xml.writeNamespace(ns, QStringLiteral("manifest"));
    xml.writeStartElement(ns, QStringLiteral("manifest"));
    xml.writeEmptyElement(ns, QStringLiteral("file-entry"));
    xml.writeAttribute(ns, QStringLiteral("full-path"), QLatin1String(ConfigurationFile));
    xml.writeAttribute(ns, QStringLiteral("media-type"), QStringLiteral("application/vnd.sun.star.configuration-data"));
    xml.writeEndDocument();
    return bytes;
}

QByteArray description(const LibreOfficeExtension& names)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(QStringLiteral("http://openoffice.org/extensions/description/2006"));
    xml.writeStartElement(QStringLiteral("description"));
    xml.writeEmptyElement(QStringLiteral("identifier"));
    xml.writeAttribute(QStringLiteral("value"), names.identifier);
    xml.writeEmptyElement(QStringLiteral("version"));
    xml.writeAttribute(QStringLiteral("value"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("display-name"));
    xml.writeStartElement(QStringLiteral("name"));
    xml.writeAttribute(QStringLiteral("lang"), QStringLiteral("en"));
    xml.writeCharacters(QStringLiteral("%1 labels").arg(names.brand));
    xml.writeEndDocument();
    return bytes;
}

[[noreturn]] void zipFailed(zip_error_t* from)
{
    // A copy, for the message's text belongs to whatever holds the error.
    zip_error_t error;
    zip_error_init(&error);
    zip_error_set(&error, zip_error_code_zip(from), zip_error_code_system(from));
    const std::string why = zip_error_strerror(&error);
    zip_error_fini(&error);
    throw std::runtime_error("cannot make the extension's zip: " + why);
}

// A zip made in memory, so the file is written in one piece like every other export.
QByteArray zipped(const std::vector<std::pair<const char*, const QByteArray*>>& files)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        zipFailed(&error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer);
        zipFailed(&error);
    }
    // Kept past zip_close, which writes the archive into it.
    zip_source_keep(buffer);
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> owned(buffer, zip_source_free);
    const auto discard = [&] {
        zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)), zip_error_code_system(zip_get_error(archive)));
        zip_discard(archive);
        zipFailed(&error);
    };
    for (const auto& [name, data] : files) {
        zip_source_t* source = zip_source_buffer(archive, data->constData(), zip_uint64_t(data->size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            discard();
        }
        // The fastest deflate: a set's file is repetitive XML, and takes a tenth of its size anyway.
        if (zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1) < 0)
            discard();
    }
    if (zip_close(archive) < 0)
        discard();
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) < 0 || zip_source_open(buffer) < 0)
        zipFailed(zip_source_error(buffer));
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read != zip_int64_t(stat.size))
        zipFailed(zip_source_error(buffer));
    return bytes;
}

} // namespace

QString libreOfficeExtensionId(const QString& brand)
{
    // Letters, digits and "-" as they are, every other byte of the UTF-8 as "_" and two hex digits,
    // so that two brands never share an identifier and any brand makes a valid one.
    QString id = QStringLiteral("io.github.tessel_vellumo.labels.");
    for (const char c : brand.toUtf8()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')
            id += QLatin1Char(c);
        else
            id += QStringLiteral("_%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
    }
    return id;
}

LibreOfficeExtension libreOfficeExtension(const QString& brand, const std::vector<const Tlabelpar*>& styles)
{
    QString manufacturer = brand;
    bool pathReplaced = false;
    for (QChar& c : manufacturer) {
        if (c == u'/' || c == u'[' || c == u']') {
            c = QChar(c.unicode() - 0x20 + 0xFF00);
            pathReplaced = true;
        }
    }
    LibreOfficeExtension result{exportNames(manufacturer, styles), {}, {}, pathReplaced};
    if (!result.refused.empty())
        return result;
    result.identifier = libreOfficeExtensionId(result.brand);
    const QByteArray xcu = configurationData(result, styles);
    const QByteArray manifestXml = manifest();
    const QByteArray descriptionXml = description(result);
    result.oxt = zipped({{"META-INF/manifest.xml", &manifestXml}, {"description.xml", &descriptionXml}, {ConfigurationFile, &xcu}});
    return result;
}

} // namespace products
