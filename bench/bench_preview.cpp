#include "editor/Preview.h"
#include "BenchMain.h"
#include "PreviewReference.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace {

// 1000 x 1000 labels on two sheets: an A4 sheet where most labels fall off the surface, and
// a 1000 mm sheet of 1 mm labels where every label lands on it below a pixel in size.
PreviewInput layout(int which)
{
    PreviewInput in;
    in[&Tlabelpar::Rows] = 1000;
    in[&Tlabelpar::Columns] = 1000;
    if (which == 0) {
        in[&Tlabelpar::SheetWidth] = 210;
        in[&Tlabelpar::SheetHeight] = 297;
        in[&Tlabelpar::LabelWidth] = 91;
        in[&Tlabelpar::LabelHeight] = 55;
        in[&Tlabelpar::LeftMargin] = in[&Tlabelpar::RightMargin] = 14;
        in[&Tlabelpar::TopMargin] = in[&Tlabelpar::BottomMargin] = 11;
    } else {
        in[&Tlabelpar::SheetWidth] = 1000;
        in[&Tlabelpar::SheetHeight] = 1000;
        in[&Tlabelpar::LabelWidth] = 1;
        in[&Tlabelpar::LabelHeight] = 1;
    }
    return in;
}

template <void (*Draw)(QImage&, const PreviewInput&)>
void run(benchmark::State& state)
{
    const PreviewInput in = layout(static_cast<int>(state.range(0)));
    QImage surface(249, 289, QImage::Format_RGB32);
    for (auto _ : state) {
        Draw(surface, in);
        benchmark::DoNotOptimize(surface.constBits());
        benchmark::ClobberMemory();
    }
    state.SetLabel(state.range(0) == 0 ? "A4, 1000x1000 labels" : "1000 mm, 1000x1000 1 mm labels");
}

void BM_DrawPreviewFast(benchmark::State& s) { run<DrawPreview>(s); }
void BM_DrawPreviewInOrderCanvas(benchmark::State& s) { run<DrawPreviewInOrder>(s); }
void BM_DrawPreviewInOrderQPainter(benchmark::State& s) { run<DrawPreviewPainter>(s); }

BENCHMARK(BM_DrawPreviewFast)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawPreviewInOrderCanvas)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawPreviewInOrderQPainter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // QPainter on a QImage needs the GUI application's font and raster set-up.
    return runBenchmarks<QGuiApplication>(argc, argv, true);
}
