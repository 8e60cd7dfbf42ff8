#include "ProductCommands.h"

#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/Names.h"
#include "labeldata/StyleFields.h"
#include "labeldata/Tdatatree.h"
#include "products/Catalogue.h"
#include "products/ProductSearch.h"
#include "CommandLine.h"
#include "ExportCommands.h"
#include "ToolOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>
#include <string>

namespace {

QString number(double v)
{
    return QString::number(v, 'f', 3).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QString size(double w, double h)
{
    return number(w) + QLatin1Char('x') + number(h);
}

// Reads the sources, or the installed databases when none is given; false when one of them
// could not be read, after saying which.
bool load(const QStringList& sources, products::Catalogue& catalogue)
{
    const QStringList paths = sources.isEmpty() ? products::installedSources() : sources;
    if (paths.isEmpty()) {
        printErr("no label database is installed (gLabels: package glabels-data; LibreOffice: libreoffice-common); "
                 "name a file or folder");
        return false;
    }
    catalogue.addSources(paths);
    for (const products::SourceError& e : catalogue.errors())
        printErr(e.message());
    for (const products::SourceError& e : catalogue.warnings())
        printErr("warning: " + e.message());
    return catalogue.errors().empty();
}

// How many were skipped and why; the ones that point at a fault in a file one by one.
void reportSkipped(const products::Catalogue& catalogue)
{
    const auto& skipped = catalogue.skipped();
    if (skipped.empty())
        return;
    std::string line = "skipped " + std::to_string(skipped.size()) + " of " +
                       std::to_string(skipped.size() + catalogue.products().size()) + ":";
    const auto counts = catalogue.skippedByReason();
    const char* sep = " ";
    for (int r = 0; r < products::SkipReasonCount; ++r) {
        if (counts[size_t(r)] == 0)
            continue;
        line += sep + std::to_string(counts[size_t(r)]) + " " + products::reasonText(products::SkipReason(r));
        sep = ", ";
    }
    printErr(line);
    for (const products::Skipped& s : skipped) {
        using products::SkipReason;
        if (s.reason != SkipReason::Malformed && s.reason != SkipReason::UnknownEquiv &&
            s.reason != SkipReason::UnknownPaper)
            continue;
        printErr(QStringLiteral("%1:%2: %3 %4: %5: %6")
                     .arg(products::printable(s.source))
                     .arg(s.line)
                     .arg(products::printable(s.brand), products::printable(s.part),
                          QLatin1String(products::reasonText(s.reason)), products::printable(s.detail))
                     .toStdString());
    }
}

// A product the query names but that could not be listed, by name and with the reason; how many.
size_t reportSkippedNamed(const products::Catalogue& catalogue, const std::vector<products::ProductQuery>& queries)
{
    size_t named = 0;
    for (const products::Skipped& s : catalogue.skipped()) {
        const QString key = products::searchKey(s);
        for (const products::ProductQuery& q : queries)
            if (q.matchesText(key)) {
                printErr(QStringLiteral("%1 %2: skipped: %3 (%4)")
                             .arg(s.brand, s.part, QLatin1String(products::reasonText(s.reason)), s.detail)
                             .toStdString());
                ++named;
                break;
            }
    }
    return named;
}

QString productLine(const products::Product& p)
{
    const Tlabelpar& s = p.style;
    return QStringList{p.brand, p.part, p.description, size(s.SheetWidth, s.SheetHeight), size(s.LabelWidth, s.LabelHeight),
                       QStringLiteral("%1x%2").arg(s.Columns).arg(s.Rows), p.source}
        .join(QLatin1Char('\t'));
}

QJsonObject toJson(const products::Product& p)
{
    const Tlabelpar& s = p.style;
    QJsonObject object{
        {QStringLiteral("brand"), p.brand},
        {QStringLiteral("part"), p.part},
        {QStringLiteral("description"), p.description},
        {QStringLiteral("name"), cp932::visibleText(s.Name)},
        {QStringLiteral("source"), p.source},
        {QStringLiteral("line"), qint64(p.line)},
    };
    for (const labeldata::StyleField& f : labeldata::StyleFields)
        object.insert(QLatin1StringView(f.key.data(), qsizetype(f.key.size())),
                      f.isLength() ? QJsonValue(s.*f.length) : QJsonValue(s.*f.count));
    return object;
}

} // namespace

int listProducts(const QStringList& sources, bool json, const Tlabelpar* like)
{
    products::Catalogue catalogue;
    const bool read = load(sources, catalogue);
    std::vector<size_t> listed;
    if (like) {
        for (const products::Likeness& l : products::productsLike(catalogue.products(), *like))
            listed.push_back(l.index);
    } else {
        for (size_t i = 0; i < catalogue.products().size(); ++i)
            listed.push_back(i);
    }
    std::string out;
    if (json) {
        QJsonArray list;
        for (size_t i : listed)
            list.append(toJson(catalogue.products()[i]));
        out = QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
    } else {
        for (size_t i : listed)
            out += productLine(catalogue.products()[i]).toStdString() + '\n';
    }
    // Nothing like the measured sheet: nothing on standard output, not even an empty list.
    if (like && listed.empty())
        out.clear();
    std::fwrite(out.data(), 1, out.size(), stdout);
    reportSkipped(catalogue);
    if (std::fflush(stdout) != 0 || !read)
        return Failure;
    if (like && listed.empty()) {
        printErr("no product has this layout (the same columns and rows, every length within 0.5 mm)");
        return Problems;
    }
    return Ok;
}

int productsCommand(const QStringList& arguments)
{
    CommandWords parser({QCommandLineOption(QStringLiteral("json")),
                         QCommandLineOption(QStringLiteral("like"), QString(), QStringLiteral("FILE.tpl")), styleOption()});
    if (!parser.parse(arguments, 0))
        return Failure;
    const auto bad = [](const QString& why) { return usageError(why); };
    const QStringList styles = parser.values(QStringLiteral("style"));
    const bool json = parser.isSet(QStringLiteral("json"));
    if (!parser.isSet(QStringLiteral("like"))) {
        if (!styles.isEmpty())
            return bad(QStringLiteral("--style needs --like"));
        return listProducts(parser.positional(), json, nullptr);
    }
    if (styles.size() > 1)
        return bad(QStringLiteral("--like takes one style"));
    const QString path = parser.value(QStringLiteral("like"));
    Tdatatree set;
    std::vector<size_t> chosen;
    if (!loadChosenStyles(path, styles, set, chosen))
        return Failure;
    if (chosen.size() != 1) {
        printErr(quoted(path) + (chosen.empty() ? std::string(" holds no styles")
                                                : " holds " + std::to_string(chosen.size()) + " styles; name one with --style"));
        return Failure;
    }
    return listProducts(parser.positional(), json, &set.LabelList[chosen.front()]);
}

int importProducts(const QStringList& sources, const QStringList& matches, const QString* group, const QString& out)
{
    std::string groupName = labeldata::makeGroupName(QString());
    if (group) {
        const auto encoded = cp932::encode(*group);
        if (!encoded || group->contains(QChar(0)) || int(encoded->size()) > labeldata::GroupNameMaxBytes) {
            printErr(QStringLiteral("the group name must be code page 932 text of at most %1 bytes; nothing written")
                         .arg(labeldata::GroupNameMaxBytes)
                         .toStdString());
            return Problems;
        }
        groupName = labeldata::makeGroupName(*group);
    }
    products::Catalogue catalogue;
    if (!load(sources, catalogue)) {
        reportSkipped(catalogue);
        printErr("nothing written");
        return Failure;
    }
    reportSkipped(catalogue);

    std::vector<products::ProductQuery> queries;
    for (const QString& m : matches)
        queries.emplace_back(m);
    const size_t namedSkipped = reportSkippedNamed(catalogue, queries);
    Tdatatree set;
    set.GroupName = groupName;
    for (const products::Product& p : catalogue.products()) {
        const QString key = products::searchKey(p);
        bool wanted = queries.empty();
        for (const products::ProductQuery& q : queries)
            wanted = wanted || q.matches(key, p.style);
        if (wanted)
            set.LabelList.push_back(p.style);
    }
    if (set.LabelList.empty()) {
        // The ones named above are the answer; "no product matched" would contradict them.
        printErr(namedSkipped ? "nothing written" : "no product matched; nothing written");
        return Problems;
    }
    if (set.LabelList.size() > Tdatatree::MaxStyles) {
        printErr(std::to_string(set.LabelList.size()) + " products matched; a template holds at most " +
                 std::to_string(Tdatatree::MaxStyles) + "; nothing written");
        return Problems;
    }
    set.FileName = out;
    try {
        set.Save();
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    std::fprintf(stderr, "tpltool: wrote %zu styles to '%s'\n", set.LabelList.size(), out.toStdString().c_str());
    return Ok;
}
