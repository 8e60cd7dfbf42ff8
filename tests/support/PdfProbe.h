#pragma once

// Reads PDFs back with poppler's tools and checks them with qpdf: page sizes from pdfinfo, and lines from a greyscale
// raster of pdftoppm (or MuPDF) at 254 dpi, ten pixels to the millimetre.
#include <QByteArray>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cmath>
#include <utility>
#include <vector>

namespace pdfprobe {

inline QByteArray run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return p.readAllStandardOutput();
}

// What qpdf finds wrong with the file's structure (objects, cross-reference table, streams, fonts'
// dictionaries); empty for a sound file. Poppler quietly repairs much of that, other readers don't.
inline QString structureProblems(const QString& pdf)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (!p.waitForFinished(120000))
        return QStringLiteral("qpdf did not finish");
    const QString output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? QString() : output;
}

// What poppler (pdftoppm), MuPDF (mutool draw) and Ghostscript say while drawing every page,
// besides the pictures: warnings and errors, each line after its program's name; empty when
// all three draw the file in silence.
inline QString readerComplaints(const QString& pdf, const QString& scratchDir)
{
    const QString picture = scratchDir + QStringLiteral("/page.pgm");
    const std::pair<QString, QStringList> readers[] = {
        {QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-gray"), pdf,
                                      scratchDir + QStringLiteral("/poppler")}},
        {QStringLiteral("mutool"), {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("72"),
                                    QStringLiteral("-o"), picture, pdf}},
        {QStringLiteral("gs"), {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                                QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=pgmraw"), QStringLiteral("-r72"),
                                QStringLiteral("-sOutputFile=") + picture, pdf}},
    };
    QString complaints;
    for (const auto& [program, args] : readers) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool finished = p.waitForFinished(120000);
        QString output = QString::fromUtf8(p.readAll());
        // Said by Debian's MuPDF of itself, whatever the file.
        output.remove(QStringLiteral("warning: ICC support is not available\n"));
        output = output.trimmed();
        if (!finished || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !output.isEmpty())
            complaints += program + QStringLiteral(": ") + (output.isEmpty() ? QStringLiteral("failed") : output) + u'\n';
    }
    return complaints;
}

// Each page's size in millimetres.
inline std::vector<QSizeF> pageSizes(const QString& pdf)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                                         QStringLiteral("-l"), QStringLiteral("100000"), pdf}));
    static const QRegularExpression line(QStringLiteral(R"(Page\s+\d+\s+size:\s+([0-9.]+) x ([0-9.]+) pts)"));
    std::vector<QSizeF> sizes;
    for (auto it = line.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble() * 25.4 / 72, m.captured(2).toDouble() * 25.4 / 72);
    }
    return sizes;
}

struct Raster {
    int width = 0;
    int height = 0;
    QByteArray pixels; // one byte a pixel, 0 black

    // Ink of a pixel: 0 for white, 255 for black; outside the page none.
    int ink(int x, int y) const
    {
        return x < 0 || y < 0 || x >= width || y >= height ? 0 : 255 - uchar(pixels[qsizetype(y) * width + x]);
    }

    // The centre, in millimetres, of the ink of a vertical line expected near x (within
    // ±window mm), seen between y0 and y1 mm; NaN when there is none.
    double verticalLine(double x, double y0, double y1, double window = 0.5) const
    {
        return centre(x, window, [&](int px, double& sum) {
            for (int py = int(y0 * 10); py < int(y1 * 10); ++py)
                sum += ink(px, py);
        });
    }
    double horizontalLine(double y, double x0, double x1, double window = 0.5) const
    {
        return centre(y, window, [&](int py, double& sum) {
            for (int px = int(x0 * 10); px < int(x1 * 10); ++px)
                sum += ink(px, py);
        });
    }

private:
    template <typename F>
    static double centre(double at, double window, F across)
    {
        double weight = 0, moment = 0;
        for (int p = int(std::floor((at - window) * 10)); p <= int(std::ceil((at + window) * 10)); ++p) {
            double sum = 0;
            across(p, sum);
            weight += sum;
            moment += sum * (p + 0.5);
        }
        return weight > 0 ? moment / weight / 10 : std::nan("");
    }
};

// A binary PGM ("P5\n<width> <height>\n255\n" and the pixels) as a raster; empty when it is none.
inline Raster fromPgm(const QByteArray& pgm)
{
    Raster r;
    const QList<QByteArray> head = pgm.left(64).split('\n');
    if (head.size() < 4 || head[0] != "P5")
        return r;
    const QList<QByteArray> size = head[1].split(' ');
    r.width = size.value(0).toInt();
    r.height = size.value(1).toInt();
    const qsizetype start = head[0].size() + head[1].size() + head[2].size() + 3;
    r.pixels = pgm.mid(start);
    if (r.pixels.size() != qsizetype(r.width) * r.height)
        r = {};
    return r;
}

// Page `page` (from 1) at 254 dpi in grey.
inline Raster rasterise(const QString& pdf, int page = 1)
{
    const QString n = QString::number(page);
    return fromPgm(run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-gray"),
                                                    QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf}));
}

// The same drawn by MuPDF, which keeps a thin line's place within the pixel in its shades of
// grey (poppler moves it onto whole pixels): a line's centre to about a hundredth of a millimetre.
inline Raster rasteriseFinely(const QString& pdf, int page = 1)
{
    return fromPgm(run(QStringLiteral("mutool"), {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-r"),
                                                  QStringLiteral("254"), QStringLiteral("-c"), QStringLiteral("gray"),
                                                  QStringLiteral("-F"), QStringLiteral("pgm"), QStringLiteral("-o"),
                                                  QStringLiteral("-"), pdf, QString::number(page)}));
}

} // namespace pdfprobe
