#pragma once

#include "labeldata/Tlabelpar.h"
#include "sheet/TestSheet.h"

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
    QLabel* LabelPaperNote = nullptr;
    QLabel* LabelHelp = nullptr;
    // Opens "プリンターの補正" for the printer shown, which then shows what it stored.
    QPushButton* ButtonCalibrate = nullptr;

    void setCalibration(const sheet::Calibration& calibration);
    sheet::Calibration calibration() const;

    // Shows the values last saved for this printer.
    void showPrinter(const QString& printerName);
    const QString& printerName() const { return FShownPrinter; }

    // Empty hides the note.
    void setPaperNote(const QString& text);

private:
    QString FShownPrinter;
};

// What to tell the user when the printer's paper is not the sheet; empty when it is.
QString paperMismatch(const QPrinter& printer, const Tlabelpar& style);

// Begins the painter on the printer's full page, from the paper's corner. Throws
// std::runtime_error, in Japanese, when the printer cannot start.
void beginPrinting(QPainter& painter, QPrinter& printer);

// Prints the test sheet at 100 %, from the paper's corner, moved and scaled by the calibration.
// Throws std::runtime_error, in Japanese, when the printer cannot start.
void printTestSheet(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles,
                    const sheet::Calibration& calibration);

// Prepares the printer for the sheet, shows Qt's print dialog with the calibration section and,
// on OK, keeps the section's values for the chosen printer and prints; a paper other than the
// sheet is asked about first. Output to a file gets the sheet's own size. False when cancelled.
bool execTestPrint(QPrinter& printer, const Tlabelpar& style, const sheet::SheetTitles& titles, QWidget* parent);
