#pragma once

#include "labeldata/Tlabelpar.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace products {

// A sheet as a label database describes it, in millimetres: the paper, one label, the first
// label's corner and the pitch from one label to the next.
struct SheetGeometry {
    double sheetWidth = 0;
    double sheetHeight = 0;
    double labelWidth = 0;
    double labelHeight = 0;
    double left = 0;  // x0
    double top = 0;   // y0
    double pitchAcross = 0;
    double pitchDown = 0;
    int64_t columns = 0;
    int64_t rows = 0;
};

// The shape of a database's label. A style holds only its bounding box, which is what places
// it on the sheet; a CD label's hole is not kept.
enum class LabelShape { Rectangle, Round, Ellipse, Cd };

// The description of a label of that shape: the shape's word ("【円形】", "【楕円】", "【CD/DVD】")
// before the database's own text, so that the list shows it and a search finds it; a
// rectangle's text as it is.
QString describeShape(LabelShape shape, const QString& description);

// Why a product of a database cannot become a style.
enum class SkipReason {
    PathLabel,
    SeveralLayouts,
    Roll,
    LengthOutOfRange,
    CountOutOfRange,
    GridLeavesSheet,
    PitchBelowLabel,
    UnknownPaper,
    UnknownEquiv,
    Malformed,
};
inline constexpr int SkipReasonCount = int(SkipReason::Malformed) + 1;

// Short texts for a list of reasons: English for the tool, Japanese for the window.
const char* reasonText(SkipReason reason);
QString reasonTextJa(SkipReason reason);

// One product that is listed: where it came from and the style it becomes.
struct Product {
    QString brand;
    QString part;
    QString description;
    QString source; // the file it was read from
    int64_t line = 0;
    SheetGeometry geometry;
    Tlabelpar style; // name and twelve numbers, ready to be added to a set
    QString descriptionJa; // gLabels' own Japanese text for the description, when it has one
};

// One product that is not listed, and why.
struct Skipped {
    QString brand;
    QString part;
    QString source;
    int64_t line = 0;
    SkipReason reason;
    QString detail; // which value, attribute or reference, in English
};

// Margins and spacings derived from the grid may come out a little below zero from rounding
// in the database; below this they mean the grid really leaves the sheet.
inline constexpr double NegativeTolerance = 0.05;

struct Conversion {
    std::optional<Tlabelpar> style;
    SkipReason reason = SkipReason::Malformed;
    QString detail;
};

// The style for a sheet: label size, x0 and y0 as left and top margins, spacing = pitch − label
// (0 for a single column or row), right and bottom margins what the grid leaves of the sheet
// once the file has rounded each length to thousandths of an inch.
// Refused when a length leaves 0 to 1000 mm, a count 1 to 1000, or a derived margin or spacing
// is below −NegativeTolerance; a smaller negative value is stored as 0.
Conversion convert(const SheetGeometry& g);

// "brand part" as the editor makes a typed name; the part alone when that would be cut. A name
// already in taken is numbered " (2)", " (3)"..., the part alone when the number would cut the
// whole; the name is added to taken.
std::string styleName(const QString& brand, const QString& part, std::unordered_set<std::string>& taken);

// Whether the grid as the database gives it stays within the sheet, exactly.
bool sourceGridFits(const SheetGeometry& g);

} // namespace products
