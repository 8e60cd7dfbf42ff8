#include "products/Catalogue.h"

#include "products/MoCatalogue.h"
#include "products/Readers.h"

#include <QDir>
#include <QFile>
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

std::string SourceError::message() const
{
    const std::string p = path.toStdString();
    const std::string d = detail.toStdString();
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
    }
    return p;
}

QString SourceError::messageJa() const
{
    switch (kind) {
    case Missing:
        return QStringLiteral("「%1」がありません。").arg(path);
    case UnreadableFile:
        return QStringLiteral("「%1」を読めません: %2").arg(path, detail);
    case UnreadableFolder:
        return QStringLiteral("フォルダー「%1」を読めません。").arg(path);
    case MalformedXml:
        return QStringLiteral("「%1」の XML が壊れています（%2 行 %3 桁）: %4").arg(path).arg(line).arg(column).arg(detail);
    case NotADatabase:
        return QStringLiteral("「%1」は gLabels や LibreOffice のラベルデータではありません。").arg(path);
    }
    return path;
}

void Catalogue::addSources(const QStringList& paths)
{
    for (const QString& p : paths)
        addSource(p);
}

void Catalogue::addSource(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        FErrors.emplace_back(SourceError::Missing, path);
    else if (info.isDir())
        addFolder(path);
    else
        addFile(path, false);
}

void Catalogue::addFolder(const QString& path)
{
    QDir dir(path);
    if (!dir.isReadable()) {
        FErrors.emplace_back(SourceError::UnreadableFolder, path);
        return;
    }
    const QStringList names = dir.entryList({QStringLiteral("*.xml"), QStringLiteral("*.template")},
                                            QDir::Files | QDir::Readable | QDir::Hidden, QDir::Name);
    // A file the folder shows but that cannot be opened is still named, below.
    const QStringList all = dir.entryList({QStringLiteral("*.xml"), QStringLiteral("*.template")},
                                          QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : all) {
        if (!names.contains(name)) {
            FErrors.emplace_back(SourceError::UnreadableFile, dir.filePath(name), QStringLiteral("permission denied"));
            continue;
        }
        addFile(dir.filePath(name), true);
    }
}

void Catalogue::loadPaperSizesBeside(const QString& templatesFile)
{
    for (const QString& candidate : {QFileInfo(templatesFile).dir().filePath(QStringLiteral("paper-sizes.xml")),
                                     InstalledGlabels + QStringLiteral("/paper-sizes.xml")}) {
        const QString canonical = QFileInfo(candidate).canonicalFilePath();
        if (canonical.isEmpty() || FPaperFiles.contains(canonical))
            continue;
        FPaperFiles << canonical;
        addFile(canonical, true);
    }
}

void Catalogue::addFile(const QString& path, bool quietIfNotDatabase)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        FErrors.emplace_back(SourceError::UnreadableFile, path, file.errorString());
        return;
    }
    QXmlStreamReader xml(&file);
    xml.setNamespaceProcessing(true); // name() is then the local name, whatever the prefix
    std::vector<detail::Entry> entries;
    Root root = Root::Other;
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
        case Root::GlabelsPaperSizes: {
            QHash<QString, Paper> papers;
            detail::readGlabelsPaperSizes(xml, papers);
            if (!xml.hasError()) {
                for (auto it = papers.cbegin(); it != papers.cend(); ++it)
                    if (!FPapers.contains(it.key()))
                        FPapers.insert(it.key(), it.value());
                FPaperFiles << QFileInfo(path).canonicalFilePath();
            }
            break;
        }
        case Root::LibreOfficeLabels:
            detail::readLibreOfficeLabels(xml, entries);
            break;
        case Root::Other:
            break;
        }
    }
    if (xml.hasError()) {
        const bool io = file.error() != QFileDevice::NoError;
        FErrors.emplace_back(io ? SourceError::UnreadableFile : SourceError::MalformedXml, path,
                             io ? file.errorString() : xml.errorString(), xml.lineNumber(), xml.columnNumber());
        return;
    }
    if (root == Root::Other) {
        if (!quietIfNotDatabase)
            FErrors.emplace_back(SourceError::NotADatabase, path);
        return;
    }
    // Only a file read to its end adds anything.
    for (detail::Entry& e : entries) {
        FTemplates.insert(detail::templateKey(e.brand, e.part), e.sheet);
        std::optional<Conversion> c;
        if (e.sheet.geometry) {
            c = convert(*e.sheet.geometry);
            if (c->style) {
                Product p{e.brand, e.part, e.sheet.description, path, e.line, *e.sheet.geometry, std::move(*c->style), {}};
                p.style.Name = styleName(e.brand, e.part);
                if (root == Root::GlabelsTemplates && !p.description.isEmpty())
                    p.descriptionJa = glabelsJapanese().translate(p.description);
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
