#include "products/Product.h"

#include "labeldata/Cp932.h"
#include "labeldata/Names.h"
#include "labeldata/SheetFit.h"
#include "labeldata/StyleFields.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace products {

namespace {

struct ReasonTexts {
    const char* en;
    const char16_t* ja;
};

constexpr ReasonTexts Texts[SkipReasonCount] = {
    {"path label", u"自由形ラベル"},
    {"more than one layout", u"複数の配置"},
    {"roll", u"ロール紙"},
    {"length outside 0 to 1000 mm", u"0〜1000 mm を外れる長さ"},
    {"count outside 1 to 1000", u"1〜1000 を外れる行数・列数"},
    {"grid leaves the sheet", u"台紙からはみ出す配置"},
    {"pitch smaller than the label", u"ラベルより狭い間隔"},
    {"unknown paper size", u"不明な用紙サイズ"},
    {"unknown equiv template", u"不明な参照先"},
    {"malformed value", u"不正な値"},
};

bool lengthInRange(double v)
{
    return std::isfinite(v) && v >= labeldata::LengthMin && v <= labeldata::LengthMax;
}

// Lowers a length by less than the file's own rounding (half a thousandth of an inch) so that
// the file stores it one thousandth lower; false when that would move it further.
bool nudgeDown(double& value)
{
    const int32_t stored = MmToMil(value);
    if (stored <= 0)
        return false;
    const double lower = (stored - 0.5) * 0.0254 - 1e-7;
    if (value - lower > 0.0127 || MmToMil(lower) != stored - 1)
        return false;
    value = lower;
    return true;
}

QString mm(double v)
{
    return QString::number(v, 'g', 10) + QStringLiteral(" mm");
}

} // namespace

QString describeShape(LabelShape shape, const QString& description)
{
    switch (shape) {
    case LabelShape::Rectangle:
        break;
    case LabelShape::Round:
        return QStringLiteral("【円形】") + description;
    case LabelShape::Ellipse:
        return QStringLiteral("【楕円】") + description;
    case LabelShape::Cd:
        return QStringLiteral("【CD/DVD】") + description;
    }
    return description;
}

const char* reasonText(SkipReason reason)
{
    return Texts[int(reason)].en;
}

QString reasonTextJa(SkipReason reason)
{
    return QString::fromUtf16(Texts[int(reason)].ja);
}

Conversion convert(const SheetGeometry& g)
{
    Conversion result;
    auto refuse = [&](SkipReason reason, QString detail) {
        result.reason = reason;
        result.detail = std::move(detail);
        return result;
    };
    const struct {
        const char* name;
        double value;
    } given[] = {{"sheet width", g.sheetWidth},   {"sheet height", g.sheetHeight}, {"label width", g.labelWidth},
                 {"label height", g.labelHeight}, {"x0", g.left},                  {"y0", g.top}};
    for (const auto& v : given)
        if (!lengthInRange(v.value))
            return refuse(SkipReason::LengthOutOfRange, QStringLiteral("%1 %2").arg(QLatin1String(v.name), mm(v.value)));
    for (auto [name, count] : {std::pair{"columns", g.columns}, std::pair{"rows", g.rows}})
        if (count < labeldata::CountMin || count > labeldata::CountMax)
            return refuse(SkipReason::CountOutOfRange, QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(count));

    // A pitch matters only between two labels; where it does, one that is no finite length is
    // named rather than left to make a margin infinite or NaN.
    for (auto [name, pitch, n] : {std::tuple{"pitch across (dx)", g.pitchAcross, g.columns},
                                  std::tuple{"pitch down (dy)", g.pitchDown, g.rows}})
        if (n > 1 && !std::isfinite(pitch))
            return refuse(SkipReason::Malformed, QStringLiteral("%1 is not a finite length").arg(QLatin1String(name)));

    // Extended precision, so the derived values carry no more error than the given ones.
    using L = long double;
    const L spacingAcross = g.columns > 1 ? L(g.pitchAcross) - g.labelWidth : 0;
    const L spacingDown = g.rows > 1 ? L(g.pitchDown) - g.labelHeight : 0;
    // 0 × an infinite pitch would be NaN; a single column or row has no pitch.
    const L right = L(g.sheetWidth) - g.left - (g.columns > 1 ? L(g.columns - 1) * g.pitchAcross : 0) - g.labelWidth;
    const L bottom = L(g.sheetHeight) - g.top - (g.rows > 1 ? L(g.rows - 1) * g.pitchDown : 0) - g.labelHeight;
    const struct {
        const char* name;
        L value;
        SkipReason below;
    } derived[] = {{"horizontal spacing", spacingAcross, SkipReason::PitchBelowLabel},
                   {"vertical spacing", spacingDown, SkipReason::PitchBelowLabel},
                   {"right margin", right, SkipReason::GridLeavesSheet},
                   {"bottom margin", bottom, SkipReason::GridLeavesSheet}};
    for (const auto& d : derived) {
        if (!std::isfinite(double(d.value)))
            return refuse(SkipReason::Malformed, QStringLiteral("%1 is not a finite number").arg(QLatin1String(d.name)));
        if (d.value < -NegativeTolerance)
            return refuse(d.below, QStringLiteral("%1 %2").arg(QLatin1String(d.name), mm(double(d.value))));
        if (d.value > labeldata::LengthMax)
            return refuse(SkipReason::LengthOutOfRange, QStringLiteral("%1 %2").arg(QLatin1String(d.name), mm(double(d.value))));
    }
    auto atLeastZero = [](L v) { return v < 0 ? 0.0 : double(v); };

    Tlabelpar& s = result.style.emplace();
    s.SheetWidth = g.sheetWidth;
    s.SheetHeight = g.sheetHeight;
    s.LabelWidth = g.labelWidth;
    s.LabelHeight = g.labelHeight;
    s.LeftMargin = g.left;
    s.TopMargin = g.top;
    s.HorizontalSpacing = atLeastZero(spacingAcross);
    s.VerticalSpacing = atLeastZero(spacingDown);
    // The file rounds every length on its own, and over a dozen labels that adds up to more
    // than the sheet has. The right and bottom margins take what the rounded grid leaves, so
    // the stored sheet adds up exactly.
    auto remainder = [](double sheet, double lead, int64_t n, double size, double gap) {
        return int64_t(MmToMil(sheet)) - MmToMil(lead) - n * MmToMil(size) - (n - 1) * MmToMil(gap);
    };
    auto fill = [&](double sheet, double& lead, int64_t n, double& size, double& gap, double& trail) {
        int64_t mil = remainder(sheet, lead, n, size, gap);
        // A grid that fills the sheet may round to a little more than it: the label, spacing
        // or margin that rounded up is rounded down instead.
        for (double* v : {&size, &gap, &lead})
            while (mil < 0 && nudgeDown(*v))
                mil = remainder(sheet, lead, n, size, gap);
        trail = mil <= 0 ? 0.0 : MilToMm(uint16_t(std::min<int64_t>(mil, UINT16_MAX)));
    };
    fill(s.SheetWidth, s.LeftMargin, g.columns, s.LabelWidth, s.HorizontalSpacing, s.RightMargin);
    fill(s.SheetHeight, s.TopMargin, g.rows, s.LabelHeight, s.VerticalSpacing, s.BottomMargin);
    s.Columns = int32_t(g.columns);
    s.Rows = int32_t(g.rows);

    // What a check of the saved file will see: each length as the file stores it.
    Tlabelpar stored = s;
    for (const labeldata::StyleField& f : labeldata::StyleFields)
        if (f.isLength())
            stored.*f.length = MilToMm(uint16_t(MmToMil(stored.*f.length)));
    const labeldata::SheetFit fit = labeldata::sheetFit(stored);
    if (!fit.fits()) {
        const bool across = !fit.fitsAcross;
        result.style.reset();
        return refuse(SkipReason::GridLeavesSheet,
                      QStringLiteral("stored grid %1 mm on a sheet %2 mm %3, %4 mm over")
                          .arg(QString::number(double(across ? fit.usedAcross : fit.usedDown), 'f', 3),
                               QString::number(across ? fit.sheetAcross : fit.sheetDown, 'f', 3),
                               across ? QStringLiteral("wide") : QStringLiteral("high"),
                               QString::number(across ? fit.overflowAcross : fit.overflowDown, 'f', 3)));
    }
    return result;
}

std::string styleName(const QString& brand, const QString& part, std::unordered_set<std::string>& taken)
{
    return labeldata::uniqueStyleName({brand.isEmpty() ? part : brand + QLatin1Char(' ') + part, part}, taken);
}

bool sourceGridFits(const SheetGeometry& g)
{
    // Exactly, without the fit rule's allowance for the file's rounding.
    constexpr double Exact = 1e-9;
    using L = long double;
    const L across = L(g.left) + L(g.columns - 1) * g.pitchAcross + g.labelWidth;
    const L down = L(g.top) + L(g.rows - 1) * g.pitchDown + g.labelHeight;
    return across <= g.sheetWidth + Exact && down <= g.sheetHeight + Exact;
}

} // namespace products
