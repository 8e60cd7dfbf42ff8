#include "CalibrationCommands.h"

#include "labeldata/Calibration.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileError.h"
#include "labeldata/Tdatatree.h"
#include "sheet/CalibrationPage.h"
#include "CommandLine.h"
#include "TemplateInput.h"
#include "ToolOutput.h"

#include <QCommandLineOption>
#include <QDate>
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

int refuseWords(const std::string& why)
{
    return usageError(QString::fromStdString(why));
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

QCommandLineOption paperOption()
{
    return QCommandLineOption(QStringLiteral("paper"), QString(), QStringLiteral("PAPER"));
}

// The paper of --paper, A4 without it; nullopt after saying what is wrong.
std::optional<Paper> paperOption(const CommandWords& args)
{
    const QString text = args.isSet(QStringLiteral("paper")) ? args.value(QStringLiteral("paper")) : QStringLiteral("A4");
    const std::optional<Paper> paper = paperFrom(text);
    if (!paper) {
        refuseWords("unknown paper " + quoted(text) + "; give A4, A5, B5, Letter, Legal or WIDTHxHEIGHT in mm");
        return std::nullopt;
    }
    if (!sheet::calibrationPaperUsable(paper->size)) {
        refuseWords("the calibration page needs paper of " + std::to_string(int(sheet::CalibrationPaperMin)) + " to "
                       + std::to_string(int(sheet::CalibrationPaperMax)) + " mm each way");
        return std::nullopt;
    }
    return paper;
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

const QString OffsetName = QStringLiteral("offset");
const QString ScaleName = QStringLiteral("scale");

} // namespace

QList<QCommandLineOption> correctionOptions()
{
    return {QCommandLineOption(OffsetName, QString(), QStringLiteral("DX,DY")),
            QCommandLineOption(ScaleName, QString(), QStringLiteral("SX,SY"))};
}

std::optional<Calibration> correctionFrom(const CommandWords& args)
{
    Calibration c;
    if (args.isSet(OffsetName)) {
        const auto offset = pairOf(args.value(OffsetName));
        if (!offset) {
            refuseWords("--offset takes two numbers of millimetres, as 0.5,-1.2");
            return std::nullopt;
        }
        c.offsetX = offset->first, c.offsetY = offset->second;
    }
    if (args.isSet(ScaleName)) {
        const auto scale = pairOf(args.value(ScaleName));
        if (!scale) {
            refuseWords("--scale takes two percentages, as 100.2,99.8");
            return std::nullopt;
        }
        c.scaleX = scale->first, c.scaleY = scale->second;
    }
    for (double o : {c.offsetX, c.offsetY})
        if (std::fabs(o) > labeldata::OffsetLimit) {
            printErr("offset " + fixed(o, 2) + " mm is beyond ±" + fixed(labeldata::OffsetLimit, 0) + " mm; nothing written");
            return std::nullopt;
        }
    for (double s : {c.scaleX, c.scaleY})
        if (!(s >= labeldata::ScaleMin && s <= labeldata::ScaleMax)) {
            printErr("scale " + fixed(s, 2) + " % is outside " + fixed(labeldata::ScaleMin, 0) + " to "
                     + fixed(labeldata::ScaleMax, 0) + " %; nothing written");
            return std::nullopt;
        }
    return c;
}

int calibrationSheetCommand(const QStringList& arguments)
{
    CommandWords args({paperOption()});
    if (!args.parse(arguments, 0))
        return Failure;
    if (args.positional().size() != 1)
        return refuseWords("give one output file");
    const std::optional<Paper> paper = paperOption(args);
    if (!paper)
        return Failure;
    const QString out = args.positional().front();
    const GuiSession session;
    try {
        sheet::writeCalibrationPagePdf(out, paper->size, {paper->name, QString(), QDate::currentDate()});
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}

int calibrateCommand(const QStringList& arguments)
{
    CommandWords args({paperOption(), QCommandLineOption(QStringLiteral("json"))});
    if (!args.parse(arguments, 0))
        return Failure;
    const QStringList values = args.positional();
    const bool eight = values.size() == 8;
    if (values.size() != 4 && !eight)
        return refuseWords("give the four measured distances LEFT RIGHT TOP BOTTOM, or the eight X1 X2 X3 X4 Y1 Y2 Y3 Y4, "
                           "in millimetres");
    const std::optional<Paper> paper = paperOption(args);
    if (!paper)
        return Failure;
    double marks[8];
    for (qsizetype i = 0; i < values.size(); ++i) {
        const std::optional<double> v = number(values[i]);
        if (!v) {
            printErr(quoted(values[i]) + " is not a number of millimetres; nothing calculated");
            return Failure;
        }
        marks[i] = *v;
    }
    const double width = paper->size.width(), height = paper->size.height();
    const labeldata::CalibrationResult r = eight
        ? labeldata::calibrationFromCrosses({{marks[0], marks[1], marks[2], marks[3]}, {marks[4], marks[5], marks[6], marks[7]}},
                                            width, height)
        : labeldata::calibrationFromMarks({marks[0], marks[1], marks[2], marks[3]}, width, height);
    switch (r.problem) {
    case labeldata::CalibrationProblem::None:
        break;
    case labeldata::CalibrationProblem::NotANumber:
        printErr("a distance is not a number; nothing calculated");
        return Failure;
    case labeldata::CalibrationProblem::MarksOutOfOrder:
        if (eight)
            printErr(r.across ? "X2 must be more than X1 and X4 more than X3; nothing calculated"
                              : "Y3 must be more than Y1 and Y4 more than Y2; nothing calculated");
        else
            printErr(r.across ? "RIGHT must be more than LEFT; nothing calculated"
                              : "BOTTOM must be more than TOP; nothing calculated");
        return Failure;
    case labeldata::CalibrationProblem::ScaleOutOfRange:
        printErr("the " + direction(r.across) + " scale would be " + fixed(r.value, 2) + " %, outside "
                 + fixed(labeldata::ScaleMin, 0) + " to " + fixed(labeldata::ScaleMax, 0)
                 + " %; check the paper size and the measurements");
        return Problems;
    case labeldata::CalibrationProblem::OffsetOutOfRange:
        printErr("the " + direction(r.across) + " offset would be " + fixed(r.value, 2) + " mm, beyond ±"
                 + fixed(labeldata::OffsetLimit, 0) + " mm; check the measurements");
        return Problems;
    case labeldata::CalibrationProblem::RotationOutOfRange:
        printErr("the rotation would be " + fixed(r.value, 2) + "°, beyond ±" + fixed(labeldata::RotationLimit, 0)
                 + "°; feed the paper straight and measure again");
        return Problems;
    case labeldata::CalibrationProblem::ReducedPrint:
        printErr("the page came out at " + fixed(r.value, 2)
                 + " % of its size both ways: it was printed reduced (\"fit to page\"); print it at 100 % (actual size) "
                   "and measure again; nothing calculated");
        return Problems;
    }
    const Calibration& c = r.calibration;
    const double corner = labeldata::rotationMovement(c.rotation, width, height);
    if (args.isSet(QStringLiteral("json"))) {
        const QJsonObject o{{QStringLiteral("offset_x"), c.offsetX},
                            {QStringLiteral("offset_y"), c.offsetY},
                            {QStringLiteral("scale_x"), c.scaleX},
                            {QStringLiteral("scale_y"), c.scaleY},
                            {QStringLiteral("rotation_deg"), c.rotation},
                            {QStringLiteral("residual_mm"), r.residual}};
        const QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Indented);
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    } else {
        std::printf("offset: %s mm across, %s mm down\nscale: %s %% across, %s %% down\n", fixed(c.offsetX, 3).c_str(),
                    fixed(c.offsetY, 3).c_str(), fixed(c.scaleX, 3).c_str(), fixed(c.scaleY, 3).c_str());
        if (eight)
            std::printf("rotation: %s° (clockwise positive; %s mm at the far corner)\nresidual: %s mm\n", fixed(c.rotation, 3).c_str(),
                        fixed(corner, 2).c_str(), fixed(r.residual, 3).c_str());
    }
    if (r.residual > labeldata::ResidualWarning)
        printErr("warning: a measured distance is " + fixed(r.residual, 2) + " mm off the fit (more than "
                 + fixed(labeldata::ResidualWarning, 2) + " mm); measure again");
    return std::fflush(stdout) == 0 ? Ok : Failure;
}

int correctCommand(const QStringList& arguments)
{
    CommandWords args(correctionOptions() << styleOption());
    if (!args.parse(arguments, 0))
        return Failure;
    const QStringList files = args.positional();
    if (files.size() != 2)
        return refuseWords("give one template file to read and one to write");
    if (!args.isSet(OffsetName) || !args.isSet(ScaleName))
        return refuseWords("give both --offset and --scale");
    const std::optional<Calibration> correction = correctionFrom(args);
    if (!correction)
        return Failure;
    const Calibration& c = *correction;

    const QString in = files[0], out = files[1];
    Tdatatree set;
    if (!loadWhole(in, set))
        return Failure;
    const std::optional<std::vector<size_t>> chosen = chosenStyles(set, in, args.values(QStringLiteral("style")));
    if (!chosen)
        return Failure;

    // All corrected before any is stored, so a refusal leaves nothing half done.
    std::vector<std::pair<size_t, Tlabelpar>> corrected;
    bool refused = false;
    for (size_t i : *chosen) {
        const labeldata::CorrectedStyle r = labeldata::correctedStyle(set.LabelList[i], c);
        if (!r.ok()) {
            printErr(quoted(in) + " " + styleLabel(i, set.LabelList[i]) + ": the corrected "
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
        set.LabelList[i] = style;
    set.FileName = out;
    try {
        set.Save();
    } catch (const labeldata::FileError& e) {
        return reportWriteFailure(out, e);
    }
    return Ok;
}
