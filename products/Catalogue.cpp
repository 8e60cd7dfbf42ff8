#include "products/Catalogue.h"

#include "labeldata/FileAccess.h"
#include "products/MoCatalogue.h"
#include "products/Readers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace products {

namespace {

const QString InstalledGlabels = QStringLiteral("/usr/share/libglabels-3.0/templates");

enum class Root { GlabelsTemplates, GlabelsPaperSizes, LibreOfficeLabels, Other };

Root rootOf(QStringView name)
{
    if (name == u"Glabels-templates")
        return Root::GlabelsTemplates;
    if (name == u"Glabels-paper-sizes")
        return Root::GlabelsPaperSizes;
    if (name == u"manufacturers")
        return Root::LibreOfficeLabels;
    return Root::Other;
}

} // namespace

QString printable(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            out += QLatin1String("\\n");
        else if (u == u'\t')
            out += QLatin1String("\\t");
        else if (u == u'\r')
            out += QLatin1String("\\r");
        else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

std::string SourceError::message() const
{
    const std::string p = printable(path).toStdString();
    const std::string d = printable(detail).toStdString();
    switch (kind) {
    case Missing:
        return "'" + p + "' does not exist";
    case UnreadableFile:
        return "cannot read '" + p + "': " + d;
    case UnreadableFolder:
        return "cannot read the folder '" + p + "'";
    case MalformedXml:
        return p + ":" + std::to_string(line) + ":" + std::to_string(column) + ": malformed XML: " + d;
    case NotADatabase:
        return "'" + p + "' is not a gLabels or LibreOffice label database";
    case NotPaperSizes:
        return "'" + p + "' is not a gLabels paper-size file; the templates beside it are read without it";
    }
    return p;
}

namespace {

SourceError unreadable(const QString& path, const labeldata::FileError& e)
{
    SourceError error(SourceError::UnreadableFile, path, e.reason());
    error.notRegular = e.notRegular();
    return error;
}

// The rest of the document after the root element: anything but comments and white space there
// (a second root, a stray tag) makes it malformed.
void readToEnd(QXmlStreamReader& xml)
{
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
}

} // namespace

void Catalogue::addSources(const QStringList& paths)
{
    for (const QString& p : paths)
        addSource(p);
}

void Catalogue::addSource(const QString& path)
{
    switch (labeldata::fileKind(path)) {
    case labeldata::FileKind::Missing:
        FErrors.emplace_back(SourceError::Missing, path);
        break;
    case labeldata::FileKind::Folder:
        addFolder(path);
        break;
    default: // anything that is no regular file is refused as addFile opens it
        addFile(path, false);
        break;
    }
}

void Catalogue::addFolder(const QString& path)
{
    QDir dir(path);
    if (!dir.isReadable()) {
        FErrors.emplace_back(SourceError::UnreadableFolder, path);
        return;
    }
    // Special files too (a FIFO called x.xml): each is refused by name instead of passed over.
    const QStringList names = dir.entryList({QStringLiteral("*.xml"), QStringLiteral("*.template")},
                                            QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names)
        addFile(dir.filePath(name), true);
}

void Catalogue::loadPaperSizesBeside(const QString& templatesFile)
{
    for (const QString& candidate : {QFileInfo(templatesFile).dir().filePath(QStringLiteral("paper-sizes.xml")),
                                     InstalledGlabels + QStringLiteral("/paper-sizes.xml")}) {
        if (labeldata::fileKind(candidate) == labeldata::FileKind::Missing)
            continue;
        const QString canonical = QFileInfo(candidate).canonicalFilePath();
        const QString key = canonical.isEmpty() ? QFileInfo(candidate).absoluteFilePath() : canonical;
        if (FPaperFiles.contains(key))
            continue;
        FPaperFiles << key;
        addPaperSizes(candidate);
    }
}

void Catalogue::addPaperSizes(const QString& path)
{
    QByteArray bytes;
    try {
        bytes = labeldata::readRegularFile(path);
    } catch (const labeldata::FileError& e) {
        FWarnings.push_back(unreadable(path, e));
        return;
    }
    QXmlStreamReader xml(bytes);
    xml.setNamespaceProcessing(true);
    QHash<QString, Paper> papers;
    if (xml.readNextStartElement()) {
        // Only paper sizes are taken from here: templates in it would be added unasked.
        if (rootOf(xml.name()) != Root::GlabelsPaperSizes) {
            FWarnings.emplace_back(SourceError::NotPaperSizes, path);
            return;
        }
        detail::readGlabelsPaperSizes(xml, papers);
        readToEnd(xml);
    }
    if (xml.hasError()) {
        FWarnings.emplace_back(SourceError::MalformedXml, path, xml.errorString(), xml.lineNumber(), xml.columnNumber());
        return;
    }
    for (auto it = papers.cbegin(); it != papers.cend(); ++it)
        if (!FPapers.contains(it.key()))
            FPapers.insert(it.key(), it.value());
}

void Catalogue::addFile(const QString& path, bool quietIfNotDatabase)
{
    QByteArray bytes;
    try {
        bytes = labeldata::readRegularFile(path);
    } catch (const labeldata::FileError& e) {
        // One stray entry of a folder (a FIFO in ~/.glabels) must not hide its other files.
        const bool strayEntry = quietIfNotDatabase && e.notRegular() != labeldata::FileKind::Regular;
        (strayEntry ? FWarnings : FErrors).push_back(unreadable(path, e));
        return;
    }
    addDocument(path, bytes, quietIfNotDatabase);
}

void Catalogue::addDocument(const QString& path, const QByteArray& bytes)
{
    addDocument(path, bytes, false);
}

void Catalogue::addDocument(const QString& path, const QByteArray& bytes, bool quietIfNotDatabase)
{
    QXmlStreamReader xml(bytes);
    xml.setNamespaceProcessing(true); // name() is then the local name, whatever the prefix
    std::vector<detail::Entry> entries;
    Root root = Root::Other;
    QHash<QString, Paper> papers;
    if (xml.readNextStartElement()) {
        root = rootOf(xml.name());
        switch (root) {
        case Root::GlabelsTemplates: {
            loadPaperSizesBeside(path);
            detail::readGlabelsTemplates(
                xml, [this](const QString& id) { return paper(id); },
                [this](const QString& b, const QString& p) { return earlierTemplate(b, p); }, entries);
            break;
        }
        case Root::GlabelsPaperSizes:
            detail::readGlabelsPaperSizes(xml, papers);
            break;
        case Root::LibreOfficeLabels:
            detail::readLibreOfficeLabels(xml, entries);
            break;
        case Root::Other:
            break;
        }
        if (root != Root::Other)
            readToEnd(xml);
    }
    if (xml.hasError()) {
        FErrors.emplace_back(SourceError::MalformedXml, path, xml.errorString(), xml.lineNumber(), xml.columnNumber());
        return;
    }
    if (root == Root::Other) {
        if (!quietIfNotDatabase)
            FErrors.emplace_back(SourceError::NotADatabase, path);
        return;
    }
    // Only a file read to its end adds anything.
    if (root == Root::GlabelsPaperSizes) {
        for (auto it = papers.cbegin(); it != papers.cend(); ++it)
            if (!FPapers.contains(it.key()))
                FPapers.insert(it.key(), it.value());
        if (const QString canonical = QFileInfo(path).canonicalFilePath(); !canonical.isEmpty())
            FPaperFiles << canonical;
    }
    for (detail::Entry& e : entries) {
        FTemplates.insert(detail::templateKey(e.brand, e.part), e.sheet);
        std::optional<Conversion> c;
        if (e.sheet.geometry) {
            c = convert(*e.sheet.geometry);
            if (c->style) {
                Product p{e.brand, e.part, e.sheet.description, path, e.line, *e.sheet.geometry, std::move(*c->style), {}};
                p.style.Name = styleName(e.brand, e.part, FNames);
                if (root == Root::GlabelsTemplates && !p.description.isEmpty())
                    p.descriptionJa = glabelsJapanese().translate(p.description);
                p.description = describeShape(e.sheet.shape, p.description);
                if (!p.descriptionJa.isEmpty())
                    p.descriptionJa = describeShape(e.sheet.shape, p.descriptionJa);
                FProducts.push_back(std::move(p));
                continue;
            }
        }
        FSkipped.push_back({e.brand, e.part, path, e.line, c ? c->reason : e.sheet.reason,
                            c ? c->detail : e.sheet.detail});
    }
}

std::array<int, SkipReasonCount> Catalogue::skippedByReason() const
{
    std::array<int, SkipReasonCount> counts{};
    for (const Skipped& s : FSkipped)
        ++counts[size_t(s.reason)];
    return counts;
}

const Catalogue::Paper* Catalogue::paper(const QString& id) const
{
    const auto it = FPapers.constFind(id);
    return it == FPapers.cend() ? nullptr : &*it;
}

const Catalogue::Template* Catalogue::earlierTemplate(const QString& brand, const QString& part) const
{
    const auto it = FTemplates.constFind(detail::templateKey(brand, part));
    return it == FTemplates.cend() ? nullptr : &*it;
}

QStringList installedSources()
{
    const QString home = QDir::homePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QStringList candidates{InstalledGlabels,
                           QStringLiteral("/usr/local/share/libglabels-3.0/templates"),
                           config + QStringLiteral("/libglabels/templates"),
                           home + QStringLiteral("/.glabels"),
                           QStringLiteral("/usr/lib/libreoffice/share/labels/labels.xml")};
    for (const QString& office : QDir(QStringLiteral("/opt")).entryList({QStringLiteral("libreoffice*")}, QDir::Dirs, QDir::Name))
        candidates << QStringLiteral("/opt/%1/share/labels/labels.xml").arg(office);
    QStringList found;
    for (const QString& c : candidates)
        if (QFileInfo::exists(c))
            found << c;
    return found;
}

QString foldForSearch(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QString searchKey(const Product& product)
{
    QString text = product.brand + QLatin1Char('\n') + product.part + QLatin1Char('\n') + product.description;
    if (!product.descriptionJa.isEmpty())
        text += QLatin1Char('\n') + product.descriptionJa;
    return foldForSearch(text);
}

QStringList queryWords(const QString& query)
{
    return foldForSearch(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

bool matchesQuery(const QString& key, const QStringList& foldedWords)
{
    for (const QString& w : foldedWords)
        if (!key.contains(w))
            return false;
    return true;
}

} // namespace products
