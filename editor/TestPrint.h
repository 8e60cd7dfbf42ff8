#pragma once

#include "labeldata/SheetFit.h"
#include "labeldata/Tlabelpar.h"
#include "sheet/AlignmentSheet.h"
#include "sheet/CalibrationPage.h"
#include "sheet/TestSheet.h"

#include <QPageLayout>

#include <QWidget>

class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class TUpdownNumberEdit;

// The print dialog's section "位置と倍率の補正": a printer's offsets and scales in the program's
// own number fields, with how to measure them and a note when the paper is not the sheet.
class TCalibrationPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TCalibrationPanel(QWidget* parent = nullptr);

    TUpdownNumberEdit* EditOffsetX = nullptr; // mm, across
    TUpdownNumberEdit* EditOffsetY = nullptr; // mm, down
    TUpdownNumberEdit* EditScaleX = nullptr;  // percent
    TUpdownNumberEdit* EditScaleY = nullptr;
    QLabel* LabelPrinter = nullptr;
    // What the printer shown cannot print along the paper's edges.
    QLabel* LabelMargins = nullptr;
    // The rotation stored for the printer, which only "プリンターの補正" measures; kept as it is.
    QLabel* LabelRotation = nullptr;
    QLabel* LabelPaperNote = nullptr;
    QLabel* LabelHelp = nullptr;
    // Opens "プリンターの補正" for the printer shown, which then shows what it stored.
    QPushButton* ButtonCalibrate = nullptr;

    void setCalibration(const sheet::Calibration& calibration);
    sheet::Calibration calibration() const;

    // Shows the values last saved for this printer, and its margins for the page.
    void showPrinter(const QString& printerName);
    void setPage(const QPageLayout& page) { FPage = page; }
    const QString& printerName() const { return FShownPrinter; }

    // Empty hides the note.
    void setPaperNote(const QString& text);

private:
    QString FShownPrinter;
    QPageLayout FPage;
    double FRotation = 0;
};

// The bands along the paper's edges that the printer, set up as it is, cannot print (its
// driver's minimum margins for its paper).
labeldata::PrinterMargins printerMargins(const QPrinter& printer);
// The same for a printer by name and a page; none for no printer.
labeldata::PrinterMargins printerMargins(const QString& printerName, const QPageLayout& page);

// "左 6.00 mm、上 6.00 mm、右 6.00 mm、下 6.00 mm"
QString marginsText(const labeldata::PrinterMargins& margins);

// What a page draws where the printer's margins may cut it off.
enum class MarginMarks { LabelOutlines, CalibrationCrosses, AlignmentScales };

// The question before printing marks that reach into the printer's margins: which label (or
// cross), at which edge, how far and the margin; empty for none.
QString marginQuestion(const std::vector<labeldata::MarginIntrusion>& intrusions, MarginMarks marks,
                       const QString& printerName, const labeldata::PrinterMargins& margins);

// What to tell the user when the printer's paper is not the sheet; empty when it is.
QString paperMismatch(const QPrinter& printer, const Tlabelpar& style);

// Begins the painter on the printer's full page, from the paper's corner. Throws
// std::runtime_error, in Japanese, when the printer cannot start.
void beginPrinting(QPainter& painter, QPrinter& printer);

// Prints the test sheet at 100 %, from the paper's corner, moved, turned and scaled by the calibration.
// Throws std::runtime_error, in Japanese, when the printer cannot start.
void printTestSheet(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles,
                    const sheet::Calibration& calibration);

// Prints the calibration page, uncorrected, on the printer as set up (its name and document
// name), on paper of that size; a cross in the printer's margins is asked about first. False when
// the user answers No. Throws std::runtime_error, in Japanese, when the printer cannot start.
bool printCalibrationPage(QPrinter& printer, const QSizeF& paperMm, const sheet::CalibrationPageText& text);

// Prints the alignment sheet of the style with the printer's correction, after asking about
// label edges, where the scales stand, that fall in the printer's margins. False when the user
// chose not to print.
bool printAlignmentSheet(QPrinter& printer, const Tlabelpar& style, const sheet::AlignmentSheetText& text,
                         const sheet::Calibration& calibration);

// Prepares the printer for the sheet, shows Qt's print dialog with the calibration section and,
// on OK, keeps the section's values for the chosen printer and prints; a paper other than the
// sheet and labels in the printer's margins are asked about first. Output to a file gets the
// sheet's own size. False when cancelled.
bool execTestPrint(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles, QWidget* parent);
