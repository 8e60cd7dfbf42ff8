#include "sheet/PdfExport.h"

#include "labeldata/FileError.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>
#include <stdexcept>

namespace sheet {

namespace {

// Fine enough that Qt's device units (about 0.02 mm) lie well inside the 0.1 mm a line is wide.
constexpr int PdfResolution = 1200;
constexpr double PointsPerMm = 72 / 25.4;

// Qt writes each page's media box in whole points (A4 becomes 595 × 842, 0.18 mm too narrow)
// and places the drawing from that rounded top edge down. Each box is rewritten to the exact
// sheet, its top edge kept where the drawing starts, padded to its old length so that every
// byte offset in the file stays right.
void exactMediaBoxes(QByteArray& pdf, const std::vector<SheetPage>& pages)
{
    static const QByteArray Key = "/MediaBox [0 0 ";
    std::vector<qsizetype> found;
    for (qsizetype at = pdf.indexOf(Key); at >= 0; at = pdf.indexOf(Key, at + Key.size()))
        found.push_back(at);
    if (found.size() != pages.size())
        return;
    for (size_t i = 0; i < found.size(); ++i) {
        const qsizetype start = found[i];
        const qsizetype end = pdf.indexOf(']', start);
        if (end < 0)
            return;
        const QList<QByteArray> numbers = pdf.mid(start + Key.size(), end - start - Key.size()).split(' ');
        bool ok = numbers.size() == 2;
        const double top = ok ? numbers[1].toDouble(&ok) : 0;
        if (!ok)
            return;
        const double width = pages[i].style.SheetWidth * PointsPerMm;
        const double height = pages[i].style.SheetHeight * PointsPerMm;
        QByteArray exact = "/MediaBox [0 " + QByteArray::number(top - height, 'f', 4) + ' '
            + QByteArray::number(width, 'f', 4) + ' ' + QByteArray::number(top, 'g', 12);
        const qsizetype length = end + 1 - start;
        if (exact.size() + 1 > length)
            continue;
        exact += QByteArray(length - exact.size() - 1, ' ') + ']';
        pdf.replace(start, length, exact);
    }
}

} // namespace

QByteArray testSheetPdf(const std::vector<SheetPage>& pages)
{
    for (const SheetPage& page : pages)
        if (problemOf(page.style) != SheetProblem::None)
            throw std::invalid_argument("a style without a sheet or labels has no test sheet");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setCreator(QStringLiteral("tessel vellumo"));
        writer.setTitle(QStringLiteral("テストシート"));
        if (!pages.empty())
            writer.setPageLayout(pageLayout(pages.front().style));
        QPainter painter(&writer);
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i > 0) {
                writer.setPageLayout(pageLayout(pages[i].style));
                writer.newPage();
            }
            drawTestSheet(painter, pages[i].style, pages[i].titles);
        }
    }
    QByteArray pdf = buffer.data();
    exactMediaBoxes(pdf, pages);
    return pdf;
}

void writeTestSheetPdf(const QString& path, const std::vector<SheetPage>& pages)
{
    using labeldata::FileError;
    const QByteArray pdf = testSheetPdf(pages);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(FileError::Operation::Create, path, file.errorString());
    if (file.write(pdf) != pdf.size() || !file.commit())
        throw FileError(FileError::Operation::Write, path, file.errorString());
}

} // namespace sheet
