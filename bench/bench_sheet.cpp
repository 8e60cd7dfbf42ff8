// Test sheet PDFs beside a blank page of the same size written with QPdfWriter; the sheets go
// through the program's own writer, since Qt's spends about 2 ms on any text (BM_OneDigitA4).
#include "sheet/PdfExport.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

namespace {

Tlabelpar a4()
{
    Tlabelpar s;
    s.SheetWidth = 210, s.SheetHeight = 297, s.LabelWidth = 91, s.LabelHeight = 55;
    s.Rows = 5, s.Columns = 2;
    s.LeftMargin = s.RightMargin = 14, s.TopMargin = s.BottomMargin = 11;
    return s;
}

// A million 1 mm labels filling a 1000 mm sheet: too small for their numbers.
Tlabelpar grid()
{
    Tlabelpar s;
    s.SheetWidth = s.SheetHeight = 1000, s.LabelWidth = s.LabelHeight = 1;
    s.Rows = s.Columns = 1000;
    return s;
}

// One A4 page through QPdfWriter, with whatever draw puts on it.
template <typename Draw>
void qtPdfPage(benchmark::State& state, Draw draw)
{
    const QPageLayout layout = sheet::pageLayout(a4());
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&buffer);
            writer.setPageLayout(layout);
            QPainter painter(&writer);
            draw(painter);
        }
        benchmark::DoNotOptimize(buffer.data().size());
    }
}

void BM_BlankPageA4(benchmark::State& state)
{
    qtPdfPage(state, [](QPainter&) {});
}
BENCHMARK(BM_BlankPageA4)->Unit(benchmark::kMillisecond);

// A blank page with one digit: what Qt's PDF engine spends on embedding a font at all.
void BM_OneDigitA4(benchmark::State& state)
{
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    qtPdfPage(state, [&](QPainter& painter) {
        painter.setFont(font);
        painter.drawText(QPointF(100, 100), QStringLiteral("1"));
    });
}
BENCHMARK(BM_OneDigitA4)->Unit(benchmark::kMillisecond);

void BM_TestSheetA4(benchmark::State& state)
{
    const std::vector<sheet::SheetPage> pages{{a4(), {QStringLiteral("ラベル台紙集"), QStringLiteral("A4 10面")}}};
    for (auto _ : state)
        benchmark::DoNotOptimize(sheet::testSheetPdf(pages).size());
}
BENCHMARK(BM_TestSheetA4)->Unit(benchmark::kMillisecond);

void BM_TestSheetMillionLabels(benchmark::State& state)
{
    const std::vector<sheet::SheetPage> pages{{grid(), {}}};
    const double labels = 1000.0 * 1000.0;
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = sheet::testSheetPdf(pages).size();
    state.counters["bytes_per_label"] = double(bytes) / labels;
    state.counters["time_per_label"] = benchmark::Counter(labels * double(state.iterations()),
                                                          benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TestSheetMillionLabels)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
