#pragma once

#include "products/Product.h"

#include <QString>

#include <optional>
#include <vector>

namespace products {

// How close a product must come to a measured sheet, in each length, to be "like" it.
inline constexpr double LikeTolerance = 0.5;
// How close a label size typed in a search must be.
inline constexpr double SearchSizeTolerance = 0.05;

// The largest difference between two layouts among the sheet's size, the label's size, the
// first label's corner and the pitches (a pitch only where there is more than one column or
// row); nullopt when the columns or rows differ.
std::optional<double> layoutDifference(const Tlabelpar& measured, const Tlabelpar& product);

struct Likeness {
    size_t index; // into the list given
    double difference;
};
// The products within LikeTolerance of the measured layout, closest first; equally close ones
// in the list's order.
std::vector<Likeness> productsLike(const std::vector<Product>& products, const Tlabelpar& measured);

// A search text, folded as the keys are: each word must occur in the maker, part or description,
// or else name the product's sizes: "86.4x50.8", "86.4×50.8" or "86.4 50.8" a label of that
// size, "2x5" also columns × rows, a lone number one side of the label.
class ProductQuery
{
public:
    ProductQuery() = default;
    explicit ProductQuery(const QString& text);

    bool isEmpty() const { return FTerms.empty(); }
    bool matches(const QString& key, const Tlabelpar& style) const;
    // A product that was not listed has only its words: whether they name it.
    bool matchesText(const QString& key) const;

    bool operator==(const ProductQuery& other) const;

private:
    struct Term {
        enum Kind { Word, Number, LabelSize, LabelSizeOrGrid } kind = Word;
        QString text; // as typed (folded), for the words' own match
        QString second; // the second word of "86.4 50.8"
        double a = 0;
        double b = 0;
    };
    std::vector<Term> FTerms;
};

// The search key of a product that was skipped: maker and part, folded.
QString searchKey(const Skipped& skipped);

} // namespace products
