#pragma once

#include "labeldata/FileError.h"
#include "products/Product.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <string>
#include <unordered_set>
#include <vector>

namespace products {

// A source that could not be read at all: nothing of it is listed.
struct SourceError {
    enum Kind { Missing, UnreadableFile, UnreadableFolder, MalformedXml, NotADatabase, NotPaperSizes };
    Kind kind;
    QString path;
    int64_t line = 0;
    int64_t column = 0;
    QString detail; // the system's or the XML reader's own words
    // What the file was when it was refused for being no regular file (a FIFO, a link loop).
    labeldata::FileKind notRegular = labeldata::FileKind::Regular;

    SourceError(Kind k, QString p, QString d = {}, int64_t l = 0, int64_t c = 0)
        : kind(k), path(std::move(p)), line(l), column(c), detail(std::move(d)) {}

    std::string message() const;   // English, for the tool; the window words its own
};

// Text from a file or a path as a message shows it: control characters as \n, \t, \x00.
QString printable(QStringView text);

// The products of one or more label databases, gLabels templates and LibreOffice label lists.
class Catalogue
{
public:
    // A file, or a folder whose database files are read in name order. A file is known by its
    // root element, so other XML files in a folder (categories, vendors) are passed over.
    // Only regular files are read; anything else is refused as an error without being opened,
    // or within a folder passed over with a warning.
    void addSource(const QString& path);
    void addSources(const QStringList& paths);
    // One database document already in memory, named path in what is reported; templates look
    // for paper sizes beside path as for a file.
    void addDocument(const QString& path, const QByteArray& bytes);

    const std::vector<Product>& products() const { return FProducts; }
    const std::vector<Skipped>& skipped() const { return FSkipped; }
    const std::vector<SourceError>& errors() const { return FErrors; }
    // Problems that stopped nothing: a paper-size file beside templates that was no such file or
    // could not be read, the templates read without it; a folder's entry that is no regular file.
    const std::vector<SourceError>& warnings() const { return FWarnings; }
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
        LabelShape shape = LabelShape::Rectangle;
    };
    const Paper* paper(const QString& id) const;
    const Template* earlierTemplate(const QString& brand, const QString& part) const;

private:
    void addFile(const QString& path, bool quietIfNotDatabase);
    void addDocument(const QString& path, const QByteArray& bytes, bool quietIfNotDatabase);
    void addFolder(const QString& path);
    void loadPaperSizesBeside(const QString& templatesFile);
    void addPaperSizes(const QString& path);

    std::vector<Product> FProducts;
    std::vector<Skipped> FSkipped;
    std::vector<SourceError> FErrors;
    std::vector<SourceError> FWarnings;
    QHash<QString, Paper> FPapers;
    QStringList FPaperFiles;
    QHash<QString, Template> FTemplates; // "brand\npart", for equiv
    std::unordered_set<std::string> FNames; // the products' style names, so that none repeats
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
