// The PDF writer beyond what a test sheet exercises: fonts that may not be embedded, clips, and
// what it asks of a viewer that prints it.
#include "sheet/CalibrationPage.h"
#include "sheet/PdfDocument.h"
#include "sheet/PdfExport.h"
#include "PdfProbe.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

// DejaVu Sans renamed, so that it cannot be mistaken for the installed one, and with its licence
// set to "restricted": no program may embed it.
QString restrictedFontFamily()
{
    QFile file(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray font = file.readAll();
    font.replace(QByteArray("DejaVu"), QByteArray("DejaXu"));
    font.replace(QByteArray("D\0e\0j\0a\0V\0u", 11), QByteArray("D\0e\0j\0a\0X\0u", 11));
    const int tables = qFromBigEndian<quint16>(font.constData() + 4);
    for (int i = 0; i < tables; ++i) {
        const char* entry = font.constData() + 12 + 16 * i;
        if (QByteArray(entry, 4) == "OS/2")
            qToBigEndian<quint16>(0x0002, font.data() + qFromBigEndian<quint32>(entry + 8) + 8);
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFontFromData(font));
    return families.value(0);
}

} // namespace

TEST(PdfDocument, TextReachesThePageEmbeddedOrAsOutlinesAndClipsHold)
{
    const QString restricted = restrictedFontFamily();
    ASSERT_FALSE(restricted.isEmpty());
    struct Case {
        QString family;
        int embeddedFonts;
    };
    const Case cases[] = {{QStringLiteral("IPAPGothic"), 1}, {restricted, 0}};
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("document.pdf"));
        {
            sheet::PdfDocument pdf(QSizeF(100, 50));
            {
                QPainter p(&pdf);
                p.scale(72 / 25.4, 72 / 25.4); // millimetres
                QFont font(c.family);
                font.setPixelSize(8);
                p.setFont(font);
                p.drawText(QPointF(5, 15), QStringLiteral("Ab12"));
                // A black square of which only the clip's 10 mm show.
                p.setClipRect(QRectF(60, 10, 10, 10));
                p.fillRect(QRectF(50, 0, 50, 50), Qt::black);
            }
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(pdf.toPdf());
        }
        EXPECT_EQ(pdfprobe::structureProblems(path), QString()) << c.family.toStdString();
        const QString fonts = QString::fromUtf8(pdfprobe::run(QStringLiteral("pdffonts"), {path}));
        EXPECT_EQ(fonts.count(QStringLiteral("CID TrueType")), c.embeddedFonts) << fonts.toStdString();

        const pdfprobe::Raster r = pdfprobe::rasterise(path);
        ASSERT_GE(r.width, 1000);
        int textInk = 0;
        for (int y = 80; y < 160; ++y)
            for (int x = 50; x < 400; ++x)
                textInk += r.ink(x, y) > 128;
        EXPECT_GT(textInk, 200) << c.family.toStdString();
        EXPECT_EQ(r.ink(650, 150), 255); // inside the clip
        EXPECT_EQ(r.ink(550, 150), 0);   // left of it
        EXPECT_EQ(r.ink(650, 50), 0);    // above it
        EXPECT_EQ(r.ink(650, 300), 0);   // below it
    }
}

TEST(PdfDocument, EveryPdfAsksViewersToPrintAtActualSize)
{
    Tlabelpar style;
    style.SheetWidth = 210, style.SheetHeight = 297, style.LabelWidth = 91, style.LabelHeight = 55;
    style.Columns = 2, style.Rows = 5, style.LeftMargin = 14, style.TopMargin = 11;
    const struct {
        const char* what;
        QByteArray pdf;
    } cases[] = {
        {"test sheet", sheet::testSheetPdf({{style, {}}})},
        {"calibration page", sheet::calibrationPagePdf({210, 297}, {})},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QStringLiteral("page.pdf"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.pdf);
        f.close();
        // The catalogue is the object the trailer's /Root names.
        const QString trailer = QString::fromUtf8(pdfprobe::run(QStringLiteral("qpdf"), {QStringLiteral("--show-object=trailer"), path}));
        const QRegularExpressionMatch root = QRegularExpression(QStringLiteral(R"(/Root (\d+) 0 R)")).match(trailer);
        ASSERT_TRUE(root.hasMatch()) << trailer.toStdString();
        const QString catalogue = QString::fromUtf8(
            pdfprobe::run(QStringLiteral("qpdf"), {QStringLiteral("--show-object=") + root.captured(1), path}));
        EXPECT_TRUE(catalogue.contains(QStringLiteral("/Type /Catalog"))) << catalogue.toStdString();
        EXPECT_TRUE(catalogue.contains(QRegularExpression(QStringLiteral(R"(/ViewerPreferences << /PrintScaling /None >>)"))))
            << catalogue.toStdString();
    }
}
