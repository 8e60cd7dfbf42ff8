#include "toolkit/Image.h"

#include "toolkit/Accessible.h"
#include "toolkit/Application.h"

#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

TImage::TImage(QWidget* parent)
    : QWidget(parent)
    , FPicture(size(), QImage::Format_RGB32)
{
    installAccessibleInterfaces();
    FPicture.fill(Qt::white);
    // The bitmap covers the whole control, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TImage::surfaceMatches() const
{
    const qreal ratio = devicePixelRatioF();
    return FPicture.devicePixelRatio() == ratio && FPicture.size() == (QSizeF(size()) * ratio).toSize();
}

QImage& TImage::Picture()
{
    // A hidden widget gets its resize event only when shown, so follow size() here.
    if (!surfaceMatches()) {
        const qreal ratio = devicePixelRatioF();
        FPicture = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        FPicture.setDevicePixelRatio(ratio);
        FPicture.fill(Qt::white);
    }
    return FPicture;
}

void TImage::paintEvent(QPaintEvent*)
{
    if (!surfaceMatches()) {
        Picture();
        if (OnSurfaceChange)
            runGuarded(OnSurfaceChange);
    }
    QPainter painter(this);
    // No smoothing: single-pixel lines must stay crisp. The bitmap's own pixel ratio maps each
    // of its pixels onto one device pixel; the painter clips to the region being repainted.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(0, 0), FPicture);
}

void TImage::resizeEvent(QResizeEvent* event)
{
    Picture();
    QWidget::resizeEvent(event);
}
