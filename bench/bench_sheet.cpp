// Test sheet PDFs beside a blank page of the same size written with QPdfWriter; the sheets go
// through the program's own writer, since Qt's spends about 2 ms on any text (BM_OneDigitA4).
// BM_FirstExportOfAProcess runs this program again as a fresh process that times its first
// export, font reading and subsetting included; the time Qt takes to list the fonts before any
// text is shown is its counter font_list_ms.
#include "sheet/PdfExport.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>

#include <cstdio>
#include <cstring>

namespace {

Tlabelpar a4()
{
    Tlabelpar s;
    s.SheetWidth = 210, s.SheetHeight = 297, s.LabelWidth = 91, s.LabelHeight = 55;
    s.Rows = 5, s.Columns = 2;
    s.LeftMargin = s.RightMargin = 14, s.TopMargin = s.BottomMargin = 11;
    return s;
}

const std::vector<sheet::SheetPage>& captionedA4()
{
    static const std::vector<sheet::SheetPage> pages{{a4(), {QStringLiteral("ラベル台紙集"), QStringLiteral("A4 10面")}}};
    return pages;
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
    for (auto _ : state)
        benchmark::DoNotOptimize(sheet::testSheetPdf(captionedA4()).size());
}
BENCHMARK(BM_TestSheetA4)->Unit(benchmark::kMillisecond);

constexpr const char* FirstExportFlag = "--first-export";

// In the fresh process: the seconds Qt takes to list the system's fonts, as any program that
// shows text does once at its start, then those of the first export (reading and subsetting
// the fonts, shaping the first text) on standard output.
int timeFirstExport()
{
    QElapsedTimer timer;
    timer.start();
    const qsizetype families = QFontDatabase::families().size();
    const double fontList = double(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    const qsizetype bytes = sheet::testSheetPdf(captionedA4()).size();
    const double exportTime = double(timer.nsecsElapsed()) / 1e9;
    std::printf("%.9f %.9f\n", exportTime, fontList);
    return bytes > 0 && families > 0 ? 0 : 1;
}

void BM_FirstExportOfAProcess(benchmark::State& state)
{
    double fontList = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(FirstExportFlag)});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            state.SkipWithError("the child process failed");
            return;
        }
        const QList<QByteArray> times = child.readAllStandardOutput().trimmed().split(' ');
        state.SetIterationTime(times.value(0).toDouble());
        fontList += times.value(1).toDouble();
    }
    state.counters["font_list_ms"] = benchmark::Counter(fontList * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_FirstExportOfAProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

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
    if (argc == 2 && std::strcmp(argv[1], FirstExportFlag) == 0)
        return timeFirstExport();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
