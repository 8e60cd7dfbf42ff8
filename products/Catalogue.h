#pragma once

#include "products/Product.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace products {

// A source that could not be read at all: nothing of it is listed.
struct SourceError {
    enum Kind { Missing, UnreadableFile, UnreadableFolder, MalformedXml, NotADatabase };
    Kind kind;
    QString path;
    int64_t line = 0;
    int64_t column = 0;
    QString detail; // the system's or the XML reader's own words

    SourceError(Kind k, QString p, QString d = {}, int64_t l = 0, int64_t c = 0)
        : kind(k), path(std::move(p)), line(l), column(c), detail(std::move(d)) {}

    std::string message() const;   // English, for the tool
    QString messageJa() const;     // for the window
};

// The products of one or more label databases, gLabels templates and LibreOffice label lists.
class Catalogue
{
public:
    // A file, or a folder whose database files are read in name order. A file is known by its
    // root element, so other XML files in a folder (categories, vendors) are passed over.
    void addSource(const QString& path);
    void addSources(const QStringList& paths);

    const std::vector<Product>& products() const { return FProducts; }
    const std::vector<Skipped>& skipped() const { return FSkipped; }
    const std::vector<SourceError>& errors() const { return FErrors; }
    std::array<int, SkipReasonCount> skippedByReason() const;

    // The paper sizes known so far, by gLabels id, in millimetres.
    struct Paper {
        double width;
        double height;
    };

    // Used by the readers while a file is read.
    struct Template {
        std::optional<SheetGeometry> geometry;
        SkipReason reason = SkipReason::Malformed;
        QString detail;
        QString description;
    };
    const Paper* paper(const QString& id) const;
    const Template* earlierTemplate(const QString& brand, const QString& part) const;

private:
    void addFile(const QString& path, bool quietIfNotDatabase);
    void addFolder(const QString& path);
    void loadPaperSizesBeside(const QString& templatesFile);

    std::vector<Product> FProducts;
    std::vector<Skipped> FSkipped;
    std::vector<SourceError> FErrors;
    QHash<QString, Paper> FPapers;
    QStringList FPaperFiles;
    QHash<QString, Template> FTemplates; // "brand\npart", for equiv
};

// The installed databases that exist: gLabels' system and user template folders and
// LibreOffice's label list.
QStringList installedSources();

// The text a search looks in, made once per product: maker, part and description, compatibility
// forms folded (full-width letters, half-width kana) and case folded.
QString searchKey(const Product& product);
QString foldForSearch(const QString& text);
// Whether every word of the folded query occurs in the key.
bool matchesQuery(const QString& key, const QStringList& foldedWords);
QStringList queryWords(const QString& query);

} // namespace products
