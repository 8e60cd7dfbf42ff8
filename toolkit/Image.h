#pragma once

#include <QImage>
#include <QWidget>

// A drawing surface control: a bitmap of the control's own size, shown pixel for pixel.
// Draw into Picture() (for instance through a TCanvas) and call update() to show it.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    // The bitmap of the control's current size; after a resize it starts white.
    QImage& Picture();

    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage FPicture;
};
