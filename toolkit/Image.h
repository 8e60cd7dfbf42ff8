#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

// A drawing surface control: a bitmap of the control's own size in device pixels, shown pixel
// for pixel. Draw into Picture() (for instance through a TCanvas) and call update() to show it.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    // The bitmap of the control's current size times its device pixel ratio (so at a ratio of 2
    // it has four pixels for every logical one); after a change of either it starts white.
    QImage& Picture();

    QSize sizeHint() const override { return size(); }

    // Runs when the control is about to show a bitmap that was made anew because the window
    // moved to a screen of another pixel ratio, so the owner can draw it again.
    std::function<void()> OnSurfaceChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool surfaceMatches() const;

    QImage FPicture;
};
