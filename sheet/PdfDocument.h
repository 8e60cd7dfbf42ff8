#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSizeF>
#include <QString>

#include <memory>

namespace sheet {

class PdfEngine;

// A PDF drawn with QPainter page by page, each page exactly its own size. It draws what a test
// sheet needs: solid pens of any width, cap, join and dash; solid fills; lines, rectangles,
// polygons and paths; clipping; text as Qt lays it out, in embedded subsets of TrueType and CFF
// fonts with a character map, or as outlines for fonts that cannot be embedded. Pictures are
// not drawn. Device units are points (72 per inch).
//
// Qt's own PDF engine spends about 2 ms on every document that has any text in it; this one
// writes a whole test sheet in a fraction of that.
class PdfDocument final : public QPaintDevice {
public:
    explicit PdfDocument(const QSizeF& firstPageMm);
    ~PdfDocument() override;
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    void setTitle(const QString& title);
    void setCreator(const QString& creator);
    // Ends the current page and begins the next, which may be of another size.
    void newPage(const QSizeF& pageMm);
    // The whole file. Call it once the painter has ended; nothing drawn after it is kept.
    QByteArray toPdf();

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<PdfEngine> FEngine;
};

} // namespace sheet
