#include "CommandLine.h"

#include "ToolOutput.h"

#include <QGuiApplication>

#include <cmath>
#include <cstdio>

namespace {

const char Usage[] =
    "usage: tpltool dump FILE.tpl              print the template set as JSON\n"
    "       tpltool create FILE.json OUT.tpl   make a template file from JSON\n"
    "       tpltool check FILE.tpl...          report problems a user must know about\n"
    "       tpltool sheet FILE.tpl OUT.pdf [--style N|NAME]...\n"
    "                                          test sheets of the named styles (all when none\n"
    "                                          is named) as a PDF, one page each\n"
    "       tpltool glabels FILE.tpl OUT.xml [--style N|NAME]...\n"
    "                                          gLabels templates of the named styles (all when\n"
    "                                          none is named), for ~/.glabels\n"
    "       tpltool libreoffice FILE.tpl OUT.oxt [--style N|NAME]... [--brand NAME]\n"
    "                                          a LibreOffice extension adding the named styles\n"
    "                                          (all when none is named) to Writer's labels,\n"
    "                                          under the group name or NAME\n"
    "       tpltool svg FILE.tpl OUT.svg --style N|NAME\n"
    "                                          a blank SVG template of the sheet: label outlines\n"
    "                                          in a locked layer, the margins as guides\n"
    "       tpltool products [--json] [--like FILE.tpl [--style N|NAME]] [SOURCE...]\n"
    "                                          list the label sheets of gLabels and LibreOffice\n"
    "                                          databases (a file or folder; none: the installed ones);\n"
    "                                          with --like only those with the style's layout (same\n"
    "                                          columns and rows, lengths within 0.5 mm), closest first\n"
    "       tpltool import [--match TEXT]... [--group NAME] [SOURCE...] OUT.tpl\n"
    "                                          make a template file of the matching products\n"
    "                                          (TEXT: words, or sizes such as 86.4x50.8 or 2x5)\n"
    "       tpltool calibration-sheet OUT.pdf [--paper A4|A5|B5|Letter|Legal|WIDTHxHEIGHT]\n"
    "                                          the printer calibration page, A4 unless --paper\n"
    "                                          says otherwise (millimetres; B5 is JIS B5)\n"
    "       tpltool calibrate [--paper PAPER] [--json] X1 X2 X3 X4 Y1 Y2 Y3 Y4\n"
    "                                          a printer's offset, scale and rotation from the\n"
    "                                          distances measured on the page printed at 100 %,\n"
    "                                          in mm: from the paper's left edge to the vertical\n"
    "                                          line (X) and from its top edge to the horizontal\n"
    "                                          line (Y) of the upper-left, upper-right, lower-left\n"
    "                                          and lower-right cross; a residual over 0.15 mm\n"
    "                                          means a distance was misread. Four numbers LEFT\n"
    "                                          RIGHT TOP BOTTOM (each pair averaged) give no\n"
    "                                          rotation. A page printed reduced (\"fit to page\")\n"
    "                                          is refused\n"
    "       tpltool correct IN.tpl OUT.tpl --offset DX,DY --scale SX,SY [--style N|NAME]...\n"
    "                                          a copy with the named styles (all when none)\n"
    "                                          corrected for that printer, for programs that\n"
    "                                          print without a correction (mm and percent)\n"
    "       tpltool alignment-sheet FILE.tpl OUT.pdf --style N|NAME [--offset DX,DY --scale SX,SY]\n"
    "                                          the alignment sheet of a style, to print on the\n"
    "                                          real labels: scales across the outer edges of the\n"
    "                                          corner labels, with that printer correction\n"
    "       tpltool align FILE.tpl OUT.tpl --style N|NAME --readings R1,R2,R3,R4,R5,R6,R7,R8\n"
    "                                          a copy with the style fitted to the real labels from\n"
    "                                          the eight scale readings (mm, + right and down), in\n"
    "                                          the sheet's order; prints each changed field\n"
    "       tpltool --help | --version\n";

} // namespace

void printUsage()
{
    std::fputs(Usage, stdout);
}

int usageError(const QString& why)
{
    if (!why.isEmpty())
        printErr(why.toStdString());
    std::fputs(Usage, stderr);
    return Failure;
}

CommandWords::CommandWords(const QList<QCommandLineOption>& options)
{
    // "-abc" is one unknown option, not three, and options may follow the files.
    FParser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    FParser.addOptions(options);
}

bool CommandWords::parse(const QStringList& words, qsizetype minPositional, qsizetype maxPositional)
{
    // The parser skips its first word, the program's name.
    if (!FParser.parse(QStringList{QStringLiteral("tpltool")} + words)) {
        usageError(FParser.errorText());
        return false;
    }
    const qsizetype count = FParser.positionalArguments().size();
    if (count < minPositional) {
        usageError(QStringLiteral("too few arguments"));
        return false;
    }
    if (maxPositional >= 0 && count > maxPositional) {
        usageError(QStringLiteral("too many arguments"));
        return false;
    }
    return true;
}

QCommandLineOption styleOption()
{
    return QCommandLineOption(QStringLiteral("style"), QStringLiteral("a style by number (from 1) or name"),
                              QStringLiteral("N|NAME"));
}

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional(v) : std::nullopt;
}

GuiSession::GuiSession()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            printErr(text.toStdString());
    });
    static int argc = 1;
    static char name[] = "tpltool";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        FApplication = new QGuiApplication(argc, argv);
}

GuiSession::~GuiSession()
{
    delete FApplication;
}
