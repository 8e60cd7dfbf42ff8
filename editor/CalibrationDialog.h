#pragma once

#include "labeldata/Calibration.h"
#include "toolkit/Types.h"

#include <QDialog>
#include <QSizeF>
#include <QStringList>

#include <functional>
#include <map>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TUpdownNumberEdit;

// "プリンターの補正": prints the calibration page on a printer, takes the four distances the
// user measured on it, or eight (each cross on its own, which also tells a rotation and how well
// the distances agree), and stores the correction they give for that printer.
class TCalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    // The printers to offer, the one to start with first; none: the page only as a PDF.
    explicit TCalibrationDialog(const QStringList& printers, QWidget* parent = nullptr);

    QComboBox* ComboBoxPrinter = nullptr;
    QLabel* LabelNoPrinter = nullptr;
    QLabel* LabelPaper = nullptr;
    QPushButton* ButtonPrint = nullptr;
    QPushButton* ButtonPdf = nullptr;
    TUpdownNumberEdit* EditLeft = nullptr;
    TUpdownNumberEdit* EditRight = nullptr;
    TUpdownNumberEdit* EditTop = nullptr;
    TUpdownNumberEdit* EditBottom = nullptr;
    // "4 か所" / "8 か所": which distances are typed.
    QRadioButton* RadioFour = nullptr;
    QRadioButton* RadioEight = nullptr;
    // Upper-left, upper-right, lower-left, lower-right: from the left edge to the vertical line,
    // and from the top edge to the horizontal line.
    TUpdownNumberEdit* EditX[4] = {};
    TUpdownNumberEdit* EditY[4] = {};
    QLabel* LabelResult = nullptr;
    QLabel* LabelCurrent = nullptr;
    QPushButton* ButtonReset = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    QString printerName() const;
    // The paper of the printer chosen, in millimetres; A4 without one.
    QSizeF paper() const { return FPaper; }

    // What the four or eight fields give, or an empty string and the correction; the message otherwise.
    QString problem(labeldata::Calibration& result) const;
    bool eightDistances() const;

    // Stores the correction for the printer and closes; with bad input says why and stays open.
    void accept() override;

private:
    void showPrinter();
    void showResult();
    void setMarks(const labeldata::CalibrationMarks& marks, const labeldata::CalibrationCrosses& crosses);
    void showCount();
    QString problem(labeldata::CalibrationResult& result) const;
    void printPage();
    void savePdf();

    QSizeF FPaper;
    // Each distance field's caption, to show and hide with it.
    std::map<TUpdownNumberEdit*, QLabel*> FFieldLabels;
};

// A number field of two decimals within min and max, whose arrow keys step by step.
TUpdownNumberEdit* numberField(QWidget* parent, const char* name, Extended min, Extended max, Extended step,
                               const QString& accessibleName);

// Asks where to save the document ("補正ページ") as a PDF, starting from "補正ページ.pdf" in the
// current folder, and writes it there, saying in a message what went wrong.
void savePdfAs(QWidget* parent, const QString& document, const std::function<void(const QString&)>& write);

// The system's printers, the default one first.
QStringList systemPrinters();

// "横: 位置 -0.20 mm、倍率 100.05 %\n縦: …", and the rotation when there is one.
QString calibrationText(const labeldata::Calibration& calibration);
