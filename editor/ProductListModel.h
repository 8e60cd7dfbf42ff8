#pragma once

#include "labeldata/Tlabelpar.h"
#include "products/ProductSearch.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>
#include <vector>

namespace products {
class Catalogue;
}

// The products of a catalogue as rows of maker, part, description, sheet, label and grid,
// narrowed to those whose maker, part or description holds every word of a search text (or
// whose sizes it names), and, when a measured layout is set, to the products like it, closest first.
class ProductListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Maker, Part, Description, Sheet, Label, Grid, ColumnCount };

    explicit ProductListModel(QObject* parent = nullptr);

    // Shows every product of the catalogue, which must outlive the model or the next call.
    void setCatalogue(const products::Catalogue* catalogue);
    void setFilter(const QString& text);
    // Only the products like this layout, closest first; nullopt lists every product again.
    void setLike(const std::optional<Tlabelpar>& measured);

    // The catalogue's skipped products that the search text names, for saying why they are missing.
    std::vector<int> skippedNamed() const;

    // The catalogue's index of the product in row, or -1.
    int productAt(int row) const;
    int listedCount() const { return int(FRows.size()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void refilter(products::ProductQuery query);

    const products::Catalogue* FCatalogue = nullptr;
    std::vector<QString> FKeys; // folded once per product, so typing only compares
    std::vector<QString> FSkippedKeys;
    std::vector<int> FRows;
    products::ProductQuery FQuery;
    std::optional<Tlabelpar> FMeasured;
};
