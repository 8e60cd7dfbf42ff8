// "製品から追加": opening the dialog over the installed databases beside parsing them alone,
// one filtering step as the user types beside one redraw of the list (2,000 products), and
// matching the window's fields against some 3,400 products beside that keystroke; and the
// largest set a file holds (65535 styles) exported for gLabels and as a LibreOffice extension.
#include "editor/ProductDialog.h"
#include "products/Catalogue.h"
#include "products/GlabelsWriter.h"
#include "products/LibreOfficeWriter.h"
#include "products/ProductSearch.h"
#include "BenchMain.h"
#include "LargeSet.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <QWindow>

namespace {

// An A4-like sheet of 2 x 5 labels, as the fields hold it.
Tlabelpar twoByFive(double sheetWidth, double sheetHeight, double labelWidth, double labelHeight, double left, double top)
{
    Tlabelpar fields;
    fields.SheetWidth = sheetWidth;
    fields.SheetHeight = sheetHeight;
    fields.LabelWidth = labelWidth;
    fields.LabelHeight = labelHeight;
    fields.LeftMargin = left;
    fields.TopMargin = top;
    fields.Columns = 2;
    fields.Rows = 5;
    return fields;
}

void showAndPaint(QWidget& w)
{
    w.show();
    while (!w.windowHandle() || !w.windowHandle()->isExposed())
        QApplication::processEvents();
    QApplication::processEvents(); // the first paint
}

void BM_ParseInstalledDatabases(benchmark::State& state)
{
    const QStringList sources = products::installedSources();
    size_t listed = 0;
    for (auto _ : state) {
        products::Catalogue c;
        c.addSources(sources);
        listed = c.products().size();
        benchmark::DoNotOptimize(listed);
    }
    state.counters["products"] = double(listed);
}
BENCHMARK(BM_ParseInstalledDatabases)->Unit(benchmark::kMillisecond);

void BM_OpenDialogWithInstalledProducts(benchmark::State& state)
{
    const QStringList sources = products::installedSources();
    int listed = 0;
    for (auto _ : state) {
        ProductDialog d(sources);
        showAndPaint(d);
        listed = d.ProductList->model()->rowCount();
        state.PauseTiming();
        d.close();
        state.ResumeTiming();
    }
    state.counters["products"] = listed;
}
BENCHMARK(BM_OpenDialogWithInstalledProducts)->Unit(benchmark::kMillisecond);

// 2,000 sheets from twenty makers, in LibreOffice's format, and the dialog over them.
struct TwoThousand {
    QTemporaryDir dir;
    std::unique_ptr<ProductDialog> dialog;

    TwoThousand()
    {
        QByteArray xml = "<?xml version='1.0' encoding='UTF-8'?>\n<manufacturers>\n";
        for (int m = 0; m < 20; ++m) {
            xml += "<manufacturer name=\"" + (m % 2 ? QStringLiteral("ヒサゴ%1").arg(m) : QStringLiteral("Maker%1").arg(m)).toUtf8() + "\">\n";
            for (int i = 0; i < 100; ++i)
                xml += QStringLiteral("<label><name>P%1-%2 宛名ラベル Label A4 %3面</name>"
                                      "<measure>S;9000;5500;9000;5500;1500;700;2;5;21000;29700</measure></label>\n")
                           .arg(m).arg(i).arg(i % 40 + 1)
                           .toUtf8();
            xml += "</manufacturer>\n";
        }
        xml += "</manufacturers>\n";
        const QString path = dir.filePath(QStringLiteral("labels.xml"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(xml);
        f.close();
        dialog = std::make_unique<ProductDialog>(QStringList{path});
        dialog->resize(960, 520);
        showAndPaint(*dialog);
    }
};

TwoThousand& twoThousand()
{
    static TwoThousand t;
    return t;
}

// Each step is one keystroke of a user typing and rubbing out a word, so the list changes each time.
void BM_FilterOneKeystroke(benchmark::State& state)
{
    TwoThousand& t = twoThousand();
    const QString steps[] = {QStringLiteral("ラ"), QStringLiteral("ラベ"), QStringLiteral("ラベル 1"),
                             QStringLiteral("ラベル 12"), QStringLiteral("ラベル 1"), QStringLiteral("ラベ"),
                             QStringLiteral("h"), QStringLiteral("hi"), QStringLiteral("")};
    size_t i = 0;
    for (auto _ : state)
        t.dialog->SearchEdit->setText(steps[i++ % std::size(steps)]);
    t.dialog->SearchEdit->clear();
    QApplication::processEvents();
    state.counters["products"] = t.dialog->ProductList->model()->rowCount();
}
BENCHMARK(BM_FilterOneKeystroke)->Unit(benchmark::kMicrosecond);

void BM_RedrawTheList(benchmark::State& state)
{
    TwoThousand& t = twoThousand();
    t.dialog->SearchEdit->clear();
    QApplication::processEvents();
    for (auto _ : state)
        t.dialog->ProductList->viewport()->repaint();
}
BENCHMARK(BM_RedrawTheList)->Unit(benchmark::kMicrosecond);

// Both databases hold about 3,400 products; where fewer are installed, the installed ones are
// read again until there are as many.
QStringList sourcesOfAbout3400()
{
    const QStringList installed = products::installedSources();
    products::Catalogue once;
    once.addSources(installed);
    const size_t per = std::max<size_t>(1, once.products().size());
    QStringList sources;
    for (size_t n = 0; n < 3400; n += per)
        sources << installed;
    return sources;
}

void BM_MatchFieldsAgainstAllProducts(benchmark::State& state)
{
    products::Catalogue c;
    c.addSources(sourcesOfAbout3400());
    if (c.products().empty()) {
        state.SkipWithError("no label database is installed");
        return;
    }
    // A measured A4 sheet of 2 x 5 labels, a little off as a ruler reads it.
    const Tlabelpar fields = twoByFive(210.1, 296.9, 86.3, 50.9, 18.5, 21.6);
    size_t found = 0;
    for (auto _ : state) {
        found = products::productsLike(c.products(), fields).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["products"] = double(c.products().size());
    state.counters["like"] = double(found);
}
BENCHMARK(BM_MatchFieldsAgainstAllProducts)->Unit(benchmark::kMicrosecond);

// The check box in the dialog: matching, the list's reset and the lines under it.
void BM_LikeCheckBoxOverAllProducts(benchmark::State& state)
{
    ProductDialog d(sourcesOfAbout3400());
    const Tlabelpar fields = twoByFive(210, 297, 86.4, 50.8, 18.6, 21.5);
    d.setMeasured(fields);
    showAndPaint(d);
    for (auto _ : state)
        d.LikeCheckBox->toggle();
    state.counters["products"] = double(d.ProductList->model()->rowCount());
}
BENCHMARK(BM_LikeCheckBoxOverAllProducts)->Unit(benchmark::kMicrosecond);

// Repeated names, the slow path of the naming: every style shares one of 100 names.
template <typename Export>
void exportLargeSet(benchmark::State& state, Export write)
{
    const Tdatatree set = makeLargeSet("A4 ");
    std::vector<const Tlabelpar*> styles;
    std::vector<std::unique_ptr<Tlabelpar>> renamed;
    for (size_t i = 0; i < set.LabelList.size(); ++i) {
        renamed.push_back(std::make_unique<Tlabelpar>(set.LabelList[i]));
        renamed.back()->Name = "A4 " + std::to_string(i % 100) + std::string(1, '\0');
        styles.push_back(renamed.back().get());
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(write(styles));
}

void BM_ExportGlabels65535(benchmark::State& state)
{
    exportLargeSet(state, [](const auto& styles) { return products::glabelsTemplates(QStringLiteral("BENCH"), styles).xml.size(); });
}
BENCHMARK(BM_ExportGlabels65535)->Unit(benchmark::kMillisecond);

void BM_ExportLibreOffice65535(benchmark::State& state)
{
    exportLargeSet(state, [](const auto& styles) { return products::libreOfficeExtension(QStringLiteral("BENCH"), styles).oxt.size(); });
}
BENCHMARK(BM_ExportLibreOffice65535)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks<QApplication>(argc, argv, false);
}
