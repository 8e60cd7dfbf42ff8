#include "PreviewReference.h"

#include "editor/PreviewGeometry.h"
#include "toolkit/Canvas.h"

#include <QPainter>

#include <algorithm>

void DrawPreviewInOrder(QImage& surface, const PreviewInput& input)
{
    TCanvas canvas(surface);
    const PreviewGeometry g = measurePreview(surface, input);
    drawPreviewSheet(canvas, g);
    if (!g.hasSheet)
        return;

    canvas.SetPenColor(QColor::fromRgb(previewColor::Blue));
    canvas.SetPenStyle(psSolid);
    for (int64_t i = 0; i < g.rows; ++i) {
        for (int64_t j = 0; j < g.columns; ++j)
            canvas.Rectangle(g.columnFrom(j), g.rowFrom(i), g.columnTo(j) + 1, g.rowTo(i) + 1);
    }
}

void DrawPreviewPainter(QImage& surface, const PreviewInput& input)
{
    const PreviewGeometry g = measurePreview(surface, input);
    {
        TCanvas canvas(surface);
        drawPreviewSheet(canvas, g);
    }
    if (!g.hasSheet)
        return;

    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor::fromRgb(previewColor::Blue), 0));
    painter.setBrush(QColor::fromRgb(previewColor::White));
    // Beyond one pixel off the surface a coordinate changes no pixel, so it is held there: that
    // keeps QPainter's int coordinates safe, and its clipped outlines lose corners when a
    // rectangle starts further off.
    auto holdX = [&](int64_t x) { return static_cast<int>(std::clamp<int64_t>(x, -1, int64_t{g.width} + 1)); };
    auto holdY = [&](int64_t y) { return static_cast<int>(std::clamp<int64_t>(y, -1, int64_t{g.height} + 1)); };
    for (int64_t i = 0; i < g.rows; ++i) {
        for (int64_t j = 0; j < g.columns; ++j) {
            const int l = holdX(g.columnFrom(j));
            const int t = holdY(g.rowFrom(i));
            const int r = holdX(g.columnTo(j) + 1);
            const int b = holdY(g.rowTo(i) + 1);
            if (r <= l || b <= t)
                continue;
            // A rectangle one pixel thin is all outline, and QPainter draws no rectangle of
            // zero width; otherwise its one-pixel pen runs one pixel right of and below the edges.
            if (r - l == 1 || b - t == 1)
                painter.fillRect(QRect(l, t, r - l, b - t), QColor::fromRgb(previewColor::Blue));
            else
                painter.drawRect(QRect(l, t, r - l - 1, b - t - 1));
        }
    }
}
