#include "labeldata/Tdatatree.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

#include <sys/stat.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<Tlabelpar> style(std::string name, double sheetW, double sheetH, double labelW, double labelH,
                                 int rows, int columns, double margin)
{
    auto s = std::make_unique<Tlabelpar>();
    s->Name = std::move(name);
    s->SheetWidth = sheetW;
    s->SheetHeight = sheetH;
    s->LabelWidth = labelW;
    s->LabelHeight = labelH;
    s->Rows = rows;
    s->Columns = columns;
    s->LeftMargin = s->RightMargin = s->TopMargin = s->BottomMargin = margin;
    return s;
}

QString saveSet(const QTemporaryDir& dir, const QString& name, Tdatatree& set)
{
    set.FileName = dir.filePath(name);
    set.Save();
    return set.FileName;
}

const char* const WorkedExampleJson = R"({
  "group_name": {"text": "TEST", "bytes": "54455354000000000000000000000001"},
  "styles": [
    {
      "name": {"text": "A4", "bytes": "41340000000000000000000000000000000000"},
      "sheet_width": 210.0072,
      "sheet_height": 297.0022,
      "label_width": 91.0082,
      "label_height": 54.991,
      "vertical_spacing": 0,
      "horizontal_spacing": 0,
      "rows": 5,
      "columns": 2,
      "left_margin": 13.9954,
      "top_margin": 10.9982,
      "right_margin": 13.9954,
      "bottom_margin": 10.9982
    }
  ]
}
)";

} // namespace

TEST(Tpltool, DumpPrintsTheWholeSetStably)
{
    QTemporaryDir dir;
    Tdatatree set;
    set.GroupName = std::string("TEST\0", 5);
    set.LabelList.push_back(*style(std::string("A4\0", 3), 210, 297, 91, 55, 5, 2, 14));
    set.LabelList[0].TopMargin = set.LabelList[0].BottomMargin = 11;
    const QString path = saveSet(dir, "worked.tpl", set);

    const ToolRun first = tpltool({"dump", path});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out.toStdString(), WorkedExampleJson);
    EXPECT_EQ(tpltool({"dump", path}).out, first.out);

    Tdatatree empty;
    empty.GroupName = std::string("\0", 1);
    const ToolRun none = tpltool({"dump", saveSet(dir, "empty.tpl", empty)});
    EXPECT_EQ(none.out.toStdString(),
              "{\n  \"group_name\": {\"text\": \"\", \"bytes\": \"00000000000000000000000000000000\"},\n"
              "  \"styles\": []\n}\n");
}

TEST(Tpltool, DumpThenCreateGivesTheSameFile)
{
    // Bytes after the zero, full 18-byte names, lengths above half the word range, awkward text.
    QTemporaryDir dir;
    Tdatatree set;
    set.GroupName = std::string("\x83\x89\x83\x78\x83\x8B\0junk", 11);
    set.LabelList.push_back(*style("123456789012345678", 1600, 1000.5, 832.3072, 0.0254, 65535, 1, 0));
    set.LabelList.push_back(*style(std::string("\"quote\\\0\x01\x02", 11), 210, 297, 99.99, 12.34, 1, 1000, 3.3));
    set.LabelList.push_back(*style(std::string("\x82\xA0\x82\xA2\0", 5), 100, 148, 90, 138, 1, 1, 5));
    const QString path = saveSet(dir, "odd.tpl", set);

    const ToolRun dump = tpltool({"dump", path});
    ASSERT_EQ(dump.status, 0) << dump.err.toStdString();
    writeFile(dir.filePath("odd.json"), dump.out.toUtf8());
    const ToolRun create = tpltool({"create", dir.filePath("odd.json"), dir.filePath("again.tpl")});
    ASSERT_EQ(create.status, 0) << create.err.toStdString();
    EXPECT_EQ(readFile(dir.filePath("again.tpl")), readFile(path));
}

TEST(Tpltool, CreateMakesNamesFromTextAsTheEditorDoes)
{
    QTemporaryDir dir;
    const QByteArray json = R"({
      "group_name": {"text": "ラベル"},
      "styles": [
        {"name": {"text": "あいうえおかきくけこ"}, "sheet_width": 210, "sheet_height": 297, "label_width": 91,
         "label_height": 55, "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 5, "columns": 2,
         "left_margin": 14, "top_margin": 11, "right_margin": 14, "bottom_margin": 11},
        {"name": {"text": "ABCDEFGHIJKLMNOPQあ"}, "sheet_width": 1000, "sheet_height": 0, "label_width": 0.01,
         "label_height": 1664.589, "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 65535, "columns": 0,
         "left_margin": 0, "top_margin": 0, "right_margin": 0, "bottom_margin": 0},
        {"name": {"bytes": "41 42 00 FF"}, "sheet_width": 1, "sheet_height": 1, "label_width": 1,
         "label_height": 1, "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 1, "columns": 1,
         "left_margin": 0, "top_margin": 0, "right_margin": 0, "bottom_margin": 0}
      ]})";
    writeFile(dir.filePath("in.json"), json);
    const ToolRun run = tpltool({"create", dir.filePath("in.json"), dir.filePath("out.tpl")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();

    Tdatatree set;
    set.FileName = dir.filePath("out.tpl");
    ASSERT_EQ(set.Load(), LoadResult::Loaded);
    EXPECT_EQ(set.GroupName.substr(0, 7), std::string("\x83\x89\x83\x78\x83\x8B\0", 7));
    ASSERT_EQ(set.LabelList.size(), 3u);
    // 20 bytes of text: nine characters fill the slot, no zero byte of its own.
    EXPECT_EQ(std::string_view(set.LabelList[0].Name).substr(0, 18), "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF");
    // 19 bytes of text: the last character would be split, so it goes; then one zero byte.
    EXPECT_EQ(std::string_view(set.LabelList[1].Name).substr(0, 18), std::string("ABCDEFGHIJKLMNOPQ\0", 18));
    EXPECT_EQ(set.LabelList[1].Rows, 65535);
    EXPECT_DOUBLE_EQ(set.LabelList[1].LabelHeight, 1664.589);
    EXPECT_EQ(std::string_view(set.LabelList[2].Name).substr(0, 4), std::string("AB\0\xFF", 4));
}

TEST(Tpltool, CreateRefusesBadInputNamingTheFieldAndWritesNothing)
{
    const QString good = R"("sheet_width": 210, "sheet_height": 297, "label_width": 91, "label_height": 55,
        "vertical_spacing": 0, "horizontal_spacing": 0, "rows": 5, "columns": 2,
        "left_margin": 14, "top_margin": 11, "right_margin": 14, "bottom_margin": 11)";
    auto withStyle = [&](const QString& name, const QString& numbers) {
        return QStringLiteral(R"({"group_name": {"text": "G"}, "styles": [{"name": %1, %2}]})").arg(name, numbers);
    };
    struct Row { QString json; const char* field; };
    const Row rows[] = {
        {"not json", "not valid JSON"},
        {"[]", "must be an object"},
        {R"({"styles": []})", "group_name: missing"},
        {R"({"group_name": {"text": "é"}, "styles": []})", "group_name.text"},
        {R"({"group_name": {"text": "ABCDEFGHIJKLMNO"}, "styles": []})", "group_name.text"}, // 15 bytes
        {R"({"group_name": {"bytes": "00112233445566778899AABBCCDDEEFF00"}, "styles": []})", "group_name.bytes"},
        {R"({"group_name": "G", "styles": []})", "group_name"},
        {R"({"group_name": {"text": "G"}, "styles": {}})", "styles"},
        {R"({"group_name": {"text": "G"}, "styles": [], "extra": 1})", "extra: unknown field"},
        {withStyle(R"({"text": "A😀"})", good), "styles[0].name.text"},
        {withStyle(R"({"text": "AB", "bytes": "414300"})", good), "styles[0].name"},
        {withStyle(R"({"bytes": "414"})", good), "styles[0].name.bytes"},
        {withStyle(R"({"bytes": "4G"})", good), "styles[0].name.bytes"},
        {withStyle(R"({"bytes": "00000000000000000000000000000000000000000000"})", good), "styles[0].name.bytes"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"rows\": 5, ", "")), "styles[0].rows: missing"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"rows\": 5", "\"rows\": \"5\"")), "styles[0].rows"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"rows\": 5", "\"rows\": 2.5")), "styles[0].rows"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"rows\": 5", "\"rows\": 65536")), "styles[0].rows"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"columns\": 2", "\"columns\": -1")), "styles[0].columns"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"sheet_width\": 210", "\"sheet_width\": 1664.7")),
         "styles[0].sheet_width"},
        {withStyle(R"({"text": "A"})", QString(good).replace("\"top_margin\": 11", "\"top_margin\": -0.01")),
         "styles[0].top_margin"},
        {withStyle(R"({"text": "A"})", good + ", \"colour\": 1"), "styles[0].colour"},
    };
    QTemporaryDir dir;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.json.toStdString());
        writeFile(dir.filePath("in.json"), r.json.toUtf8());
        const ToolRun run = tpltool({"create", dir.filePath("in.json"), dir.filePath("out.tpl")});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.field))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("out.tpl")));
    }
}

TEST(Tpltool, CheckReportsWhatAUserMustKnow)
{
    QTemporaryDir dir;
    auto one = [&](std::unique_ptr<Tlabelpar> s) {
        Tdatatree set;
        set.GroupName = std::string("G\0", 2);
        set.LabelList.push_back(std::move(*s));
        return set;
    };
    struct Row { const char* what; std::function<Tdatatree()> make; const char* finding; };
    const Row rows[] = {
        {"A4 10面 fits", [&] { return one(style("A4", 210, 297, 86.4, 50.8, 5, 2, 18.6)); }, nullptr},
        {"fills the sheet exactly", [&] { return one(style("A", 210, 297, 105, 297, 1, 2, 0)); }, nullptr},
        {"rounding of the file makes it overflow", [&] { return one(style("R", 100, 100, 50, 50, 2, 2, 0)); },
         "100.0252 mm of margins, labels and spacing on a sheet 99.9998 mm wide"},
        {"too wide", [&] { return one(style("W", 210, 297, 91, 55, 5, 2, 15)); }, "do not fit across"},
        {"too tall", [&] { auto s = style("T", 210, 297, 91, 55, 5, 2, 14); s->VerticalSpacing = 3;
                          return one(std::move(s)); }, "do not fit down"},
        {"length above 1000 mm", [&] { return one(style("L", 1100, 297, 91, 55, 1, 1, 0)); }, "sheet width 1099.9978 mm is outside 0 to 1000 mm"},
        {"no rows", [&] { return one(style("R", 210, 297, 91, 55, 0, 2, 0)); }, "rows 0 is outside 1 to 1000"},
        {"too many columns", [&] { return one(style("C", 1000, 297, 0.5, 55, 1, 1001, 0)); }, "columns 1001"},
        {"name not code page 932", [&] { return one(style("\x82\x20", 210, 297, 91, 55, 1, 1, 0)); },
         "not valid code page 932"},
        {"duplicate names", [&] {
             Tdatatree set = one(style(std::string("A4\0x", 4), 210, 297, 91, 55, 1, 1, 0));
             set.LabelList.push_back(*style(std::string("A4\0y", 4), 210, 297, 91, 55, 1, 1, 0));
             return set; }, "style 2 \"A4\": same name as style 1"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Tdatatree set = r.make();
        const QString path = saveSet(dir, "c.tpl", set);
        const ToolRun run = tpltool({"check", path});
        if (r.finding) {
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(run.out.contains(QString::fromUtf8(r.finding))) << run.out.toStdString();
        } else {
            EXPECT_EQ(run.status, 0) << run.out.toStdString();
            EXPECT_TRUE(run.out.contains(": ok, 1 style")) << run.out.toStdString();
        }
    }
}

TEST(Tpltool, FilesThatCannotBeUsedAreReported)
{
    QTemporaryDir dir;
    Tdatatree set;
    set.LabelList.push_back(*style("A", 210, 297, 105, 297, 1, 2, 0));
    const QString good = saveSet(dir, "good.tpl", set);
    writeFile(dir.filePath("text.tpl"), "plain text");
    writeFile(dir.filePath("cut.tpl"), readFile(good).left(99));
    const QString missing = dir.filePath("missing.tpl");

    struct Row { QStringList files; int status; const char* says; };
    const Row rows[] = {
        {{good}, 0, "ok"},
        {{good, dir.filePath("text.tpl")}, 1, "not a template"},
        {{dir.filePath("cut.tpl")}, 1, "damaged"},
        {{missing, good}, 2, "ok"},
    };
    for (const Row& r : rows) {
        const ToolRun run = tpltool(QStringList{"check"} + r.files);
        EXPECT_EQ(run.status, r.status) << r.says;
        EXPECT_TRUE(run.out.contains(r.says)) << run.out.toStdString();
    }
    EXPECT_TRUE(tpltool({"check", missing}).err.contains(missing));

    // dump: nothing on standard output, the file and the reason on standard error.
    for (const QString& bad : {missing, dir.filePath("text.tpl"), dir.filePath("cut.tpl")}) {
        const ToolRun run = tpltool({"dump", bad});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.contains(bad)) << run.err.toStdString();
    }
}

TEST(Tpltool, SpecialFilesAreRefusedAtOnceNamingTheFileAndWhatItIs)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("x.tpl");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString out = dir.filePath("out.tpl");
    struct Row { QStringList args; const char* says; };
    const Row rows[] = {
        {{"dump", fifo}, "it is a FIFO (named pipe), not a regular file"},
        {{"check", fifo}, "it is a FIFO (named pipe), not a regular file"},
        {{"create", fifo, out}, "it is a FIFO (named pipe), not a regular file"},
        {{"sheet", fifo, dir.filePath("out.pdf")}, "it is a FIFO (named pipe), not a regular file"},
        {{"products", fifo}, "it is a FIFO (named pipe), not a regular file"},
        {{"import", fifo, out}, "it is a FIFO (named pipe), not a regular file"},
        {{"check", dir.path()}, "it is a folder, not a regular file"},
        {{"dump", "/dev/null"}, "it is a character device, not a regular file"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.join(' ').toStdString());
        QElapsedTimer time;
        time.start();
        const ToolRun run = tpltool(r.args);
        // A read that waited would never end; the bound leaves room for a busy machine's start.
        EXPECT_LT(time.elapsed(), 5000);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(r.args[1]) && run.err.contains(r.says)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST(Tpltool, UsageErrorsExitWithTwo)
{
    const QStringList cases[] = {{}, {"frobnicate"}, {"dump"}, {"dump", "a", "b"}, {"create", "a.json"}, {"check"}};
    for (const QStringList& args : cases) {
        const ToolRun run = tpltool(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage:"));
    }
    EXPECT_EQ(tpltool({"--help"}).status, 0);
}

TEST(Tpltool, SheetWritesTheNamedStylesTestSheetsOrNothing)
{
    QTemporaryDir dir;
    Tdatatree set;
    set.GroupName = std::string("G\0", 2);
    set.LabelList.push_back(*style("A4", 210, 297, 91, 55, 5, 2, 10));
    set.LabelList.push_back(*style("Card", 100, 148, 90, 50, 2, 1, 5));
    set.LabelList.push_back(*style("Wide", 300, 200, 91, 55, 5, 4, 15)); // labels leave the sheet
    const QString good = saveSet(dir, "good.tpl", set);
    set.LabelList.push_back(*style("Empty", 0, 0, 91, 55, 5, 2, 14));
    set.LabelList.push_back(*style("None", 210, 297, 91, 55, 0, 2, 14));
    const QString bad = saveSet(dir, "bad.tpl", set);
    const QString out = dir.filePath("out.pdf");

    struct Row {
        QStringList args;
        int status;
        std::vector<double> pageWidths; // none: nothing written
        const char* says;
    };
    const Row rows[] = {
        {{good}, 0, {210, 100, 300}, "style 3 \"Wide\": warning: labels leave the sheet by"},
        {{good, "--style", "Card"}, 0, {100}, nullptr},
        {{good, "--style", "2", "--style", "1"}, 0, {100, 210}, nullptr},
        {{good, "--style", "Nope"}, 2, {}, "has no style 'Nope'; nothing written"},
        {{good, "--style"}, 2, {}, "usage:"},
        {{bad, "--style", "Empty"}, 1, {}, "style 4 \"Empty\": the sheet's width and height must both be above 0"},
        {{bad}, 1, {}, "style 5 \"None\": rows and columns must both be at least 1"},
        {{dir.filePath("missing.tpl")}, 2, {}, "cannot open"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.args.join(' ').toStdString());
        QFile::remove(out);
        QStringList args{"sheet", r.args.value(0), out};
        args += r.args.mid(1);
        const ToolRun run = tpltool(args);
        EXPECT_EQ(run.status, r.status);
        if (r.says)
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.says))) << run.err.toStdString();
        else
            EXPECT_EQ(run.err, QString());
        QProcess info;
        info.start("pdfinfo", {"-f", "1", "-l", "100", out});
        info.waitForFinished(60000);
        std::vector<double> widths;
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        static const QRegularExpression size(R"(Page\s+\d+\s+size:\s+([0-9.]+) x)");
        for (auto it = size.globalMatch(text); it.hasNext();)
            widths.push_back(std::round(it.next().captured(1).toDouble() * 25.4 / 72 * 10) / 10);
        EXPECT_EQ(widths, r.pageWidths);
        EXPECT_EQ(QFile::exists(out), !r.pageWidths.empty());
    }
    const ToolRun unwritable = tpltool({"sheet", good, dir.filePath("missing/out.pdf"), "--style", "A4"});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(unwritable.err.startsWith("tpltool: cannot write '" + dir.filePath("missing/out.pdf") + "': "));
}
