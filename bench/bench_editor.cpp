// Opening a full template (65535 styles) through the window beside Load alone, and the time
// from creating the main window to its first paint.
#include "editor/Unit1.h"
#include "labeldata/Tdatatree.h"
#include "BenchMain.h"
#include "LargeSet.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QWindow>

#include <string>

namespace {

struct FullTemplate {
    QTemporaryDir dir;
    QString path;

    // Names in ASCII, or in double-byte characters as a Japanese user types them.
    explicit FullTemplate(bool japanese)
    {
        path = dir.filePath(QStringLiteral("full.tpl"));
        // "ラベル" in code page 932, then the number.
        Tdatatree set = makeLargeSet(japanese ? std::string("\x83\x89\x83\x78\x83\x8B") : std::string("style "));
        set.FileName = path;
        set.Save();
    }
};

FullTemplate& fullTemplate(bool japanese)
{
    static FullTemplate ascii(false);
    static FullTemplate kana(true);
    return japanese ? kana : ascii;
}

void BM_LoadAlone(benchmark::State& state)
{
    Tdatatree set;
    set.FileName = fullTemplate(state.range(0) != 0).path;
    for (auto _ : state) {
        set.Clear();
        benchmark::DoNotOptimize(set.Load());
    }
    state.counters["styles"] = double(set.LabelList.size());
}
// Argument: 0 = ASCII names, 1 = Japanese names.
BENCHMARK(BM_LoadAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OpenThroughWindow(benchmark::State& state)
{
    TForm1 form;
    form.show();
    QApplication::processEvents();
    const QString path = fullTemplate(state.range(0) != 0).path;
    for (auto _ : state) {
        form.FileOpen1Accept(path);
        QApplication::processEvents(); // the repaint of list, fields and preview
    }
    state.counters["styles"] = double(form.ComboBox1->count());
}
BENCHMARK(BM_OpenThroughWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WindowCreateToShown(benchmark::State& state)
{
    for (auto _ : state) {
        TForm1 form;
        form.show();
        while (!form.isVisible() || !form.windowHandle() || !form.windowHandle()->isExposed())
            QApplication::processEvents();
        QApplication::processEvents(); // the first paint
        state.PauseTiming();
        form.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowCreateToShown)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv, false);
}
