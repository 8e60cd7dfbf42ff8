#include "ProductCommands.h"

#include "ToolOutput.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/Names.h"
#include "labeldata/Tdatatree.h"
#include "products/Catalogue.h"

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

QJsonObject toJson(const products::Product& p)
{
    const Tlabelpar& s = p.style;
    return QJsonObject{
        {QStringLiteral("brand"), p.brand},
        {QStringLiteral("part"), p.part},
        {QStringLiteral("description"), p.description},
        {QStringLiteral("name"), cp932::visibleText(s.Name)},
        {QStringLiteral("sheet_width"), s.SheetWidth},
        {QStringLiteral("sheet_height"), s.SheetHeight},
        {QStringLiteral("label_width"), s.LabelWidth},
        {QStringLiteral("label_height"), s.LabelHeight},
        {QStringLiteral("columns"), s.Columns},
        {QStringLiteral("rows"), s.Rows},
        {QStringLiteral("left_margin"), s.LeftMargin},
        {QStringLiteral("top_margin"), s.TopMargin},
        {QStringLiteral("right_margin"), s.RightMargin},
        {QStringLiteral("bottom_margin"), s.BottomMargin},
        {QStringLiteral("horizontal_spacing"), s.HorizontalSpacing},
        {QStringLiteral("vertical_spacing"), s.VerticalSpacing},
        {QStringLiteral("source"), p.source},
        {QStringLiteral("line"), qint64(p.line)},
    };
}

} // namespace

int listProducts(const QStringList& sources, bool json)
{
    products::Catalogue catalogue;
    const bool read = load(sources, catalogue);
    std::string out;
    if (json) {
        QJsonArray list;
        for (const products::Product& p : catalogue.products())
            list.append(toJson(p));
        out = QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
    } else {
        for (const products::Product& p : catalogue.products()) {
            const Tlabelpar& s = p.style;
            const QString line = QStringList{p.brand, p.part, p.description, size(s.SheetWidth, s.SheetHeight),
                                             size(s.LabelWidth, s.LabelHeight),
                                             QStringLiteral("%1x%2").arg(s.Columns).arg(s.Rows), p.source}
                                     .join(QLatin1Char('\t'));
            out += line.toStdString() + '\n';
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    reportSkipped(catalogue);
    if (std::fflush(stdout) != 0)
        return Failure;
    return read ? Ok : Failure;
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

    std::vector<QStringList> queries;
    for (const QString& m : matches)
        queries.push_back(products::queryWords(m));
    Tdatatree set;
    set.GroupName = groupName;
    for (const products::Product& p : catalogue.products()) {
        const QString key = products::searchKey(p);
        bool wanted = queries.empty();
        for (const QStringList& q : queries)
            wanted = wanted || products::matchesQuery(key, q);
        if (wanted)
            set.LabelList.push_back(std::make_unique<Tlabelpar>(p.style));
    }
    if (set.LabelList.empty()) {
        printErr("no product matched; nothing written");
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
