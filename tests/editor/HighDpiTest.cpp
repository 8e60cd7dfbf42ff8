#include "editor/Preview.h"
#include "toolkit/Image.h"
#include "ChildProcess.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>

// At a pixel ratio of 2 the preview is drawn by its own rules on the surface's device pixels,
// and shown without scaling: every line stays one device pixel wide.
TEST(HighDpi, PreviewIsDrawnAtDevicePixelsWithOnePixelLines)
{
    if (!inChildProcess()) {
        const ChildResult child = runCurrentTestInChild({{"QT_SCALE_FACTOR", "2"}});
        EXPECT_EQ(child.exitCode, 0) << child.output.toStdString();
        return;
    }
    auto form = newWindow();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_EQ(form->Image1->devicePixelRatioF(), 2.0);
    const QImage& picture = form->Image1->Picture();
    ASSERT_EQ(picture.size(), QSize(498, 578));

    PreviewInput a4;
    a4[&Tlabelpar::SheetWidth] = 210;
    a4[&Tlabelpar::SheetHeight] = 297;
    a4[&Tlabelpar::LabelWidth] = 91;
    a4[&Tlabelpar::LabelHeight] = 55;
    a4[&Tlabelpar::Rows] = 5;
    a4[&Tlabelpar::Columns] = 2;
    a4[&Tlabelpar::LeftMargin] = a4[&Tlabelpar::RightMargin] = 14;
    a4[&Tlabelpar::TopMargin] = a4[&Tlabelpar::BottomMargin] = 11;
    QImage expected(498, 578, QImage::Format_RGB32);
    DrawPreview(expected, a4);
    EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32), expected);

    // What reaches the screen is the same bitmap, pixel for pixel.
    const QImage shown = form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(498, 578));
    EXPECT_EQ(shown, expected);

    // Across the middle of the sheet: each black, red or blue run is one pixel wide.
    const int y = 578 / 2 + 7;
    int runs = 0;
    for (int x = 1; x < 497; ++x) {
        const QRgb c = shown.pixel(x, y);
        if (c == qRgb(255, 255, 255))
            continue;
        ++runs;
        EXPECT_EQ(shown.pixel(x - 1, y), qRgb(255, 255, 255)) << "x " << x;
        EXPECT_EQ(shown.pixel(x + 1, y), qRgb(255, 255, 255)) << "x " << x;
    }
    EXPECT_GE(runs, 5); // sheet edges, label borders, margins
}
