#include "toolkit/Image.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

TImage::TImage(QWidget* parent)
    : QWidget(parent)
    , FPicture(size(), QImage::Format_RGB32)
{
    FPicture.fill(Qt::white);
    // The bitmap covers the whole control, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage& TImage::Picture()
{
    // A hidden widget gets its resize event only when shown, so follow size() here.
    if (FPicture.size() != size()) {
        FPicture = QImage(size(), QImage::Format_RGB32);
        FPicture.fill(Qt::white);
    }
    return FPicture;
}

void TImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // No smoothing: single-pixel lines must stay crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(event->rect(), Picture(), event->rect());
}

void TImage::resizeEvent(QResizeEvent* event)
{
    Picture();
    QWidget::resizeEvent(event);
}
