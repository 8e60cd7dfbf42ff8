#include "sheet/PdfExport.h"

#include "labeldata/FileAccess.h"
#include "sheet/PdfDocument.h"

#include <QPainter>

#include <stdexcept>

namespace sheet {

namespace {

QSizeF pageSize(const Tlabelpar& s)
{
    return {s.SheetWidth, s.SheetHeight};
}

} // namespace

QByteArray testSheetPdf(const std::vector<SheetPage>& pages)
{
    if (pages.empty())
        throw std::invalid_argument("a PDF of no test sheets");
    for (const SheetPage& page : pages)
        if (problemOf(page.style) != SheetProblem::None)
            throw std::invalid_argument("a style without a sheet or labels has no test sheet");
    PdfDocument pdf(pageSize(pages.front().style));
    pdf.setCreator(QStringLiteral("tessel vellumo"));
    pdf.setTitle(QStringLiteral("テストシート"));
    {
        QPainter painter(&pdf);
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i > 0)
                pdf.newPage(pageSize(pages[i].style));
            drawTestSheet(painter, pages[i].style, pages[i].titles);
        }
    }
    return pdf.toPdf();
}

void writeTestSheetPdf(const QString& path, const std::vector<SheetPage>& pages)
{
    labeldata::writeFileDurably(path, testSheetPdf(pages));
}

} // namespace sheet
