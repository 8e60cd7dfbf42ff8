// Reads arbitrary bytes as one label-database document (gLabels templates or paper sizes,
// LibreOffice's label list). Every product it lists must become a style that a check of the
// saved file accepts: finite lengths within 0 to 1000 mm, counts within 1 to 1000, a stored grid
// that fits its sheet.
#include "labeldata/SheetFit.h"
#include "labeldata/StyleFields.h"
#include "products/Catalogue.h"

#include <QFileInfo>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The installed paper sizes, read once; each input starts from a copy.
const products::Catalogue& base()
{
    static const products::Catalogue catalogue = [] {
        products::Catalogue c;
        const QString installed = QStringLiteral("/usr/share/libglabels-3.0/templates/paper-sizes.xml");
        if (QFileInfo::exists(installed))
            c.addSource(installed);
        return c;
    }();
    return catalogue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    products::Catalogue catalogue = base();
    const size_t errorsBefore = catalogue.errors().size();
    catalogue.addDocument(QStringLiteral("/nonexistent/fuzz.xml"),
                          QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const bool failed = catalogue.errors().size() > errorsBefore;
    // A document that cannot be read adds nothing.
    require(!failed || catalogue.products().empty());
    for (const products::SourceError& e : catalogue.errors())
        (void)e.message();

    for (const products::Product& p : catalogue.products()) {
        Tlabelpar stored = p.style;
        for (const labeldata::StyleField& f : labeldata::StyleFields) {
            if (f.isLength()) {
                const double v = p.style.*f.length;
                require(std::isfinite(v) && v >= f.min && v <= f.max);
                stored.*f.length = MilToMm(uint16_t(MmToMil(v)));
            } else {
                require(p.style.*f.count >= f.min && p.style.*f.count <= f.max);
            }
        }
        require(labeldata::sheetFit(stored).fits());
        (void)products::searchKey(p);
    }
    for (const products::Skipped& s : catalogue.skipped())
        (void)products::printable(s.detail);
    return 0;
}
