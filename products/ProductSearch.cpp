#include "products/ProductSearch.h"

#include "products/Catalogue.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace products {

namespace {

std::optional<double> number(const QString& word, bool* whole = nullptr)
{
    static const QRegularExpression Number(QStringLiteral("^\\d{1,4}(\\.\\d+)?$"));
    const QRegularExpressionMatch m = Number.match(word);
    if (!m.hasMatch())
        return std::nullopt;
    if (whole)
        *whole = !m.hasCaptured(1);
    return word.toDouble();
}

bool near(double a, double b, double tolerance)
{
    return std::abs(a - b) <= tolerance;
}

} // namespace

std::optional<double> layoutDifference(const Tlabelpar& m, const Tlabelpar& p)
{
    if (m.Columns != p.Columns || m.Rows != p.Rows)
        return std::nullopt;
    double worst = 0;
    auto compare = [&](double a, double b) { worst = std::max(worst, std::abs(a - b)); };
    compare(m.SheetWidth, p.SheetWidth);
    compare(m.SheetHeight, p.SheetHeight);
    compare(m.LabelWidth, p.LabelWidth);
    compare(m.LabelHeight, p.LabelHeight);
    compare(m.LeftMargin, p.LeftMargin);
    compare(m.TopMargin, p.TopMargin);
    if (m.Columns > 1)
        compare(m.LabelWidth + m.HorizontalSpacing, p.LabelWidth + p.HorizontalSpacing);
    if (m.Rows > 1)
        compare(m.LabelHeight + m.VerticalSpacing, p.LabelHeight + p.VerticalSpacing);
    if (std::isnan(worst))
        return std::nullopt;
    return worst;
}

std::vector<Likeness> productsLike(const std::vector<Product>& products, const Tlabelpar& measured)
{
    std::vector<Likeness> found;
    for (size_t i = 0; i < products.size(); ++i)
        if (const auto d = layoutDifference(measured, products[i].style); d && *d <= LikeTolerance)
            found.push_back({i, *d});
    std::stable_sort(found.begin(), found.end(),
                     [](const Likeness& a, const Likeness& b) { return a.difference < b.difference; });
    return found;
}

ProductQuery::ProductQuery(const QString& text)
{
    static const QRegularExpression Pair(QStringLiteral("^(\\d{1,4}(?:\\.\\d+)?)[x×*](\\d{1,4}(?:\\.\\d+)?)$"));
    static const QRegularExpression Times(QStringLiteral("^[x×*]$"));
    const QStringList words = queryWords(text);
    for (qsizetype i = 0; i < words.size(); ++i) {
        Term t;
        t.text = words[i];
        bool wholeA = false;
        bool wholeB = false;
        if (const QRegularExpressionMatch m = Pair.match(words[i]); m.hasMatch()) {
            t.a = *number(m.captured(1), &wholeA);
            t.b = *number(m.captured(2), &wholeB);
            t.kind = wholeA && wholeB ? Term::LabelSizeOrGrid : Term::LabelSize;
        } else if (const auto a = number(words[i])) {
            t.a = *a;
            t.kind = Term::Number;
            // "86.4 50.8" and "86.4 x 50.8": the words as typed must then occur together.
            const bool times = i + 2 < words.size() && Times.match(words[i + 1]).hasMatch() && number(words[i + 2]);
            if (times || (i + 1 < words.size() && number(words[i + 1]))) {
                if (times)
                    ++i;
                t.b = *number(words[i + 1], &wholeB);
                t.second = words[++i];
                t.kind = times && wholeB && std::floor(t.a) == t.a ? Term::LabelSizeOrGrid : Term::LabelSize;
            }
        }
        FTerms.push_back(std::move(t));
    }
}

bool ProductQuery::matches(const QString& key, const Tlabelpar& s) const
{
    for (const Term& t : FTerms) {
        // The words themselves always count, so a part number with a digit in it is still found.
        if (key.contains(t.text) && (t.second.isEmpty() || key.contains(t.second)))
            continue;
        switch (t.kind) {
        case Term::Word:
            return false;
        case Term::Number:
            if (near(s.LabelWidth, t.a, SearchSizeTolerance) || near(s.LabelHeight, t.a, SearchSizeTolerance))
                continue;
            return false;
        case Term::LabelSizeOrGrid:
            if (s.Columns == int32_t(t.a) && s.Rows == int32_t(t.b))
                continue;
            [[fallthrough]];
        case Term::LabelSize:
            if (near(s.LabelWidth, t.a, SearchSizeTolerance) && near(s.LabelHeight, t.b, SearchSizeTolerance))
                continue;
            return false;
        }
    }
    return true;
}

bool ProductQuery::matchesText(const QString& key) const
{
    if (FTerms.empty())
        return false;
    for (const Term& t : FTerms)
        if (!key.contains(t.text) || (!t.second.isEmpty() && !key.contains(t.second)))
            return false;
    return true;
}

bool ProductQuery::operator==(const ProductQuery& other) const
{
    return std::equal(FTerms.begin(), FTerms.end(), other.FTerms.begin(), other.FTerms.end(),
                      [](const Term& a, const Term& b) { return a.text == b.text && a.second == b.second; });
}

QString searchKey(const Skipped& skipped)
{
    return foldForSearch(skipped.brand + QLatin1Char('\n') + skipped.part);
}

} // namespace products
