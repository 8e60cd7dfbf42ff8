#include "editor/ProductListModel.h"

#include "labeldata/ShortDecimal.h"
#include "products/Catalogue.h"

namespace {

QString number(double v)
{
    return labeldata::shortDecimal(v, 2);
}

QString size(double w, double h)
{
    return number(w) + QStringLiteral(" × ") + number(h);
}

} // namespace

ProductListModel::ProductListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void ProductListModel::setCatalogue(const products::Catalogue* catalogue)
{
    FCatalogue = catalogue;
    FKeys.clear();
    FSkippedKeys.clear();
    if (catalogue) {
        FKeys.reserve(catalogue->products().size());
        for (const products::Product& p : catalogue->products())
            FKeys.push_back(products::searchKey(p));
        for (const products::Skipped& s : catalogue->skipped())
            FSkippedKeys.push_back(products::searchKey(s));
    }
    refilter(FQuery);
}

void ProductListModel::setFilter(const QString& text)
{
    products::ProductQuery query(text);
    if (query == FQuery)
        return;
    refilter(std::move(query));
}

void ProductListModel::setLike(const std::optional<Tlabelpar>& measured)
{
    FMeasured = measured;
    refilter(FQuery);
}

void ProductListModel::refilter(products::ProductQuery query)
{
    std::vector<int> rows;
    rows.reserve(FKeys.size());
    if (FCatalogue) {
        const std::vector<products::Product>& all = FCatalogue->products();
        auto take = [&](size_t i) {
            if (query.matches(FKeys[i], all[i].style))
                rows.push_back(int(i));
        };
        if (FMeasured) {
            for (const products::Likeness& l : products::productsLike(all, *FMeasured))
                take(l.index);
        } else {
            for (size_t i = 0; i < all.size(); ++i)
                take(i);
        }
    }
    FQuery = std::move(query);
    beginResetModel();
    FRows = std::move(rows);
    endResetModel();
}

std::vector<int> ProductListModel::skippedNamed() const
{
    std::vector<int> named;
    for (size_t i = 0; i < FSkippedKeys.size(); ++i)
        if (FQuery.matchesText(FSkippedKeys[i]))
            named.push_back(int(i));
    return named;
}

int ProductListModel::productAt(int row) const
{
    return row >= 0 && row < int(FRows.size()) ? FRows[size_t(row)] : -1;
}

int ProductListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FRows.size());
}

int ProductListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ProductListModel::data(const QModelIndex& index, int role) const
{
    const int i = productAt(index.row());
    if (i < 0 || !FCatalogue || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const products::Product& p = FCatalogue->products()[size_t(i)];
    if (role == Qt::ToolTipRole)
        return p.source;
    const Tlabelpar& s = p.style;
    switch (index.column()) {
    case Maker:
        return p.brand;
    case Part:
        return p.part;
    case Description:
        return p.descriptionJa.isEmpty() ? p.description : p.descriptionJa;
    case Sheet:
        return size(s.SheetWidth, s.SheetHeight);
    case Label:
        return size(s.LabelWidth, s.LabelHeight);
    case Grid:
        return QStringLiteral("%1 × %2").arg(s.Columns).arg(s.Rows);
    }
    return {};
}

QVariant ProductListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Maker:
        return QStringLiteral("メーカー");
    case Part:
        return QStringLiteral("品番");
    case Description:
        return QStringLiteral("説明");
    case Sheet:
        return QStringLiteral("台紙 (mm)");
    case Label:
        return QStringLiteral("ラベル (mm)");
    case Grid:
        return QStringLiteral("列 × 行");
    }
    return {};
}
