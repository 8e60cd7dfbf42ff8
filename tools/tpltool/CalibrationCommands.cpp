#include "CalibrationCommands.h"

#include "labeldata/Calibration.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/Tdatatree.h"
#include "sheet/CalibrationPage.h"
#include "ToolOutput.h"

#include <QCommandLineParser>
#include <QDate>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using labeldata::Calibration;

struct Paper {
    QString name;
    QSizeF size; // millimetres
};

int usageError(const std::string& why, const char* line)
{
    printErr(why);
    std::fputs((std::string("usage: tpltool ") + line + "\n").c_str(), stderr);
    return Failure;
}

// A number as typed on a command line; "." only, so a script's locale cannot change it.
std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional(v) : std::nullopt;
}

std::optional<Paper> paperFrom(const QString& text)
{
    static const struct {
        const char* name;
        double width, height;
    } named[] = {{"A4", 210, 297}, {"A5", 148, 210}, {"B5", 182, 257}, {"Letter", 215.9, 279.4}, {"Legal", 215.9, 355.6}};
    for (const auto& n : named)
        if (text.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return Paper{QLatin1String(n.name), {n.width, n.height}};
    static const QRegularExpression size(QStringLiteral(R"(^\s*([0-9.]+)\s*[xX×]\s*([0-9.]+)\s*$)"));
    const auto m = size.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const auto w = number(m.captured(1)), h = number(m.captured(2));
    if (!w || !h)
        return std::nullopt;
    return Paper{QString(), {*w, *h}};
}

// The paper of --paper, A4 without it; nullopt after saying what is wrong.
std::optional<Paper> paperOption(const QCommandLineParser& parser, const QCommandLineOption& option, const char* usage)
{
    const QString text = parser.isSet(option) ? parser.value(option) : QStringLiteral("A4");
    const std::optional<Paper> paper = paperFrom(text);
    if (!paper) {
        usageError("unknown paper " + quoted(text) + "; give A4, A5, B5, Letter, Legal or WIDTHxHEIGHT in mm", usage);
        return std::nullopt;
    }
    if (!sheet::calibrationPaperUsable(paper->size)) {
        usageError("the calibration page needs paper of " + std::to_string(int(sheet::CalibrationPaperMin)) + " to "
                       + std::to_string(int(sheet::CalibrationPaperMax)) + " mm each way",
                   usage);
        return std::nullopt;
    }
    return paper;
}

// Parses arguments after the command's name; false after printing why not.
bool parse(QCommandLineParser& parser, const QStringList& arguments, const char* usage)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(QStringList{QStringLiteral("tpltool")} + arguments)) {
        usageError(parser.errorText().toStdString(), usage);
        return false;
    }
    return true;
}

std::string fixed(double v, int decimals)
{
    return QString::number(v, 'f', decimals).toStdString();
}

std::string direction(bool across)
{
    return across ? "horizontal" : "vertical";
}

// "DX,DY" as two numbers.
std::optional<std::pair<double, double>> pairOf(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return std::nullopt;
    const auto a = number(parts[0]), b = number(parts[1]);
    if (!a || !b)
        return std::nullopt;
    return std::pair{*a, *b};
}

std::string styleLabel(size_t index, const Tlabelpar& s)
{
    return "style " + std::to_string(index + 1) + " \"" + cp932::visibleText(s.Name).toStdString() + "\"";
}

// A style by its number (from 1) or, failing that, by its visible name; the first of that name.
std::optional<size_t> findStyle(const Tdatatree& set, const QString& which)
{
    bool isNumber = false;
    const qulonglong n = which.toULongLong(&isNumber);
    if (isNumber && n >= 1 && n <= set.LabelList.size())
        return size_t(n - 1);
    for (size_t i = 0; i < set.LabelList.size(); ++i)
        if (cp932::visibleText(set.LabelList[i]->Name) == which)
            return i;
    return std::nullopt;
}

bool loadSet(const QString& path, Tdatatree& set)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printErr("cannot open " + quoted(path) + ": " + file.errorString().toStdString());
        return false;
    }
    const QByteArray image = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        printErr("cannot read " + quoted(path) + ": " + file.errorString().toStdString());
        return false;
    }
    switch (set.LoadImage(std::string_view(image.constData(), size_t(image.size())))) {
    case LoadResult::Loaded:
        return true;
    case LoadResult::NotTemplate:
        printErr(quoted(path) + " is not a template file");
        return false;
    default:
        printErr(quoted(path) + " is damaged: its directory or a record lies beyond the end of the file");
        return false;
    }
}

} // namespace

int calibrationSheetCommand(const QStringList& arguments)
{
    static const char usage[] = "calibration-sheet OUT.pdf [--paper A4|A5|B5|Letter|Legal|WIDTHxHEIGHT]";
    QCommandLineParser parser;
    const QCommandLineOption paperOpt(QStringLiteral("paper"), QString(), QStringLiteral("PAPER"));
    parser.addOption(paperOpt);
    if (!parse(parser, arguments, usage))
        return Failure;
    if (parser.positionalArguments().size() != 1)
        return usageError("give one output file", usage);
    const std::optional<Paper> paper = paperOption(parser, paperOpt, usage);
    if (!paper)
        return Failure;
    const QString out = parser.positionalArguments().front();
    // Text needs the font database of a GUI application; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            printErr(text.toStdString());
    });
    // One of its own unless the caller made the application already (it must be a GUI one).
    static int argc = 1;
    static char name[] = "tpltool";
    static char* argv[] = {name, nullptr};
    std::optional<QGuiApplication> app;
    if (!QCoreApplication::instance())
        app.emplace(argc, argv);
    try {
        sheet::writeCalibrationPagePdf(out, paper->size, {paper->name, QString(), QDate::currentDate()});
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}

int calibrateCommand(const QStringList& arguments)
{
    static const char usage[] = "calibrate [--paper A4|A5|B5|Letter|Legal|WIDTHxHEIGHT] [--json] LEFT RIGHT TOP BOTTOM";
    QCommandLineParser parser;
    const QCommandLineOption paperOpt(QStringLiteral("paper"), QString(), QStringLiteral("PAPER"));
    const QCommandLineOption jsonOpt(QStringLiteral("json"));
    parser.addOption(paperOpt);
    parser.addOption(jsonOpt);
    if (!parse(parser, arguments, usage))
        return Failure;
    const QStringList values = parser.positionalArguments();
    if (values.size() != 4)
        return usageError("give the four measured distances LEFT RIGHT TOP BOTTOM in millimetres", usage);
    const std::optional<Paper> paper = paperOption(parser, paperOpt, usage);
    if (!paper)
        return Failure;
    double marks[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> v = number(values[i]);
        if (!v) {
            printErr(quoted(values[i]) + " is not a number of millimetres; nothing calculated");
            return Failure;
        }
        marks[i] = *v;
    }
    const labeldata::CalibrationResult r = labeldata::calibrationFromMarks(
        {marks[0], marks[1], marks[2], marks[3]}, paper->size.width(), paper->size.height());
    switch (r.problem) {
    case labeldata::CalibrationProblem::None:
        break;
    case labeldata::CalibrationProblem::NotANumber:
        printErr("a distance is not a number; nothing calculated");
        return Failure;
    case labeldata::CalibrationProblem::MarksOutOfOrder:
        printErr(r.across ? "RIGHT must be more than LEFT; nothing calculated"
                          : "BOTTOM must be more than TOP; nothing calculated");
        return Failure;
    case labeldata::CalibrationProblem::ScaleOutOfRange:
        printErr("the " + direction(r.across) + " scale would be " + fixed(r.value, 2) + " %, outside "
                 + fixed(labeldata::ScaleMin, 0) + " to " + fixed(labeldata::ScaleMax, 0)
                 + " %; check the paper size and the measurements");
        return Failure;
    case labeldata::CalibrationProblem::OffsetOutOfRange:
        printErr("the " + direction(r.across) + " offset would be " + fixed(r.value, 2) + " mm, beyond ±"
                 + fixed(labeldata::OffsetLimit, 0) + " mm; check the measurements");
        return Failure;
    }
    const Calibration& c = r.calibration;
    if (parser.isSet(jsonOpt)) {
        const QJsonObject o{{QStringLiteral("offset_x"), c.offsetX},
                            {QStringLiteral("offset_y"), c.offsetY},
                            {QStringLiteral("scale_x"), c.scaleX},
                            {QStringLiteral("scale_y"), c.scaleY}};
        const QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Indented);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    } else {
        std::printf("offset: %s mm across, %s mm down\nscale: %s %% across, %s %% down\n", fixed(c.offsetX, 3).c_str(),
                    fixed(c.offsetY, 3).c_str(), fixed(c.scaleX, 3).c_str(), fixed(c.scaleY, 3).c_str());
    }
    return std::fflush(stdout) == 0 ? Ok : Failure;
}

int correctCommand(const QStringList& arguments)
{
    static const char usage[] = "correct IN.tpl OUT.tpl --offset DX,DY --scale SX,SY [--style N|NAME]...";
    QCommandLineParser parser;
    const QCommandLineOption offsetOpt(QStringLiteral("offset"), QString(), QStringLiteral("DX,DY"));
    const QCommandLineOption scaleOpt(QStringLiteral("scale"), QString(), QStringLiteral("SX,SY"));
    const QCommandLineOption styleOpt(QStringLiteral("style"), QString(), QStringLiteral("STYLE"));
    parser.addOptions({offsetOpt, scaleOpt, styleOpt});
    if (!parse(parser, arguments, usage))
        return Failure;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2)
        return usageError("give one template file to read and one to write", usage);
    if (!parser.isSet(offsetOpt) || !parser.isSet(scaleOpt))
        return usageError("give both --offset and --scale", usage);
    const auto offset = pairOf(parser.value(offsetOpt));
    const auto scale = pairOf(parser.value(scaleOpt));
    if (!offset)
        return usageError("--offset takes two numbers of millimetres, as 0.5,-1.2", usage);
    if (!scale)
        return usageError("--scale takes two percentages, as 100.2,99.8", usage);
    const Calibration c{offset->first, offset->second, scale->first, scale->second};
    for (double o : {c.offsetX, c.offsetY})
        if (std::fabs(o) > labeldata::OffsetLimit) {
            printErr("offset " + fixed(o, 2) + " mm is beyond ±" + fixed(labeldata::OffsetLimit, 0) + " mm; nothing written");
            return Failure;
        }
    for (double s : {c.scaleX, c.scaleY})
        if (!(s >= labeldata::ScaleMin && s <= labeldata::ScaleMax)) {
            printErr("scale " + fixed(s, 2) + " % is outside " + fixed(labeldata::ScaleMin, 0) + " to "
                     + fixed(labeldata::ScaleMax, 0) + " %; nothing written");
            return Failure;
        }

    const QString in = files[0], out = files[1];
    Tdatatree set;
    if (!loadSet(in, set))
        return Failure;
    std::vector<size_t> chosen;
    for (const QString& which : parser.values(styleOpt)) {
        const std::optional<size_t> index = findStyle(set, which);
        if (!index) {
            printErr(quoted(in) + " has no style " + quoted(which) + "; nothing written");
            return Failure;
        }
        chosen.push_back(*index);
    }
    if (chosen.empty())
        for (size_t i = 0; i < set.LabelList.size(); ++i)
            chosen.push_back(i);

    // All corrected before any is stored, so a refusal leaves nothing half done.
    std::vector<std::pair<size_t, Tlabelpar>> corrected;
    bool refused = false;
    for (size_t i : chosen) {
        const labeldata::CorrectedStyle r = labeldata::correctedStyle(*set.LabelList[i], c);
        if (!r.ok()) {
            printErr(quoted(in) + " " + styleLabel(i, *set.LabelList[i]) + ": the corrected "
                     + (r.problem == labeldata::CorrectionProblem::NegativeLength
                            ? (r.across ? "left" : "top") + std::string(" margin would be below 0 mm")
                            : direction(r.across) + " lengths would exceed 1000 mm"));
            refused = true;
            continue;
        }
        corrected.emplace_back(i, r.style);
    }
    if (refused) {
        printErr("nothing written");
        return Problems;
    }
    for (auto& [i, style] : corrected)
        *set.LabelList[i] = style;
    set.FileName = out;
    try {
        set.Save();
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}

CalibrationCommand calibrationCommand(std::string_view name)
{
    if (name == "calibration-sheet")
        return calibrationSheetCommand;
    if (name == "calibrate")
        return calibrateCommand;
    if (name == "correct")
        return correctCommand;
    return nullptr;
}

QStringList wordsAfterCommand(int argc, char** argv)
{
    QStringList words;
    for (int i = 2; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    return words;
}
