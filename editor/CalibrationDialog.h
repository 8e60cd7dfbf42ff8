#pragma once

#include "labeldata/Calibration.h"
#include "toolkit/Types.h"

#include <QDialog>
#include <QSizeF>
#include <QStringList>

#include <functional>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class TUpdownNumberEdit;

// "プリンターの補正": prints the calibration page on a printer, takes the four distances the
// user measured on it and stores the correction they give for that printer.
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
    QLabel* LabelResult = nullptr;
    QLabel* LabelCurrent = nullptr;
    QPushButton* ButtonReset = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    QString printerName() const;
    // The paper of the printer chosen, in millimetres; A4 without one.
    QSizeF paper() const { return FPaper; }

    // What the four fields give, or an empty string and the correction; the message otherwise.
    QString problem(labeldata::Calibration& result) const;

    // Stores the correction for the printer and closes; with bad input says why and stays open.
    void accept() override;

private:
    void showPrinter();
    void showResult();
    void setMarks(const labeldata::CalibrationMarks& marks);
    void printPage();
    void savePdf();

    QSizeF FPaper;
};

// A number field of two decimals within min and max, whose arrow keys step by step.
TUpdownNumberEdit* numberField(QWidget* parent, const char* name, Extended min, Extended max, Extended step,
                               const QString& accessibleName);

// Asks where to save the document ("補正ページ") as a PDF, starting from "補正ページ.pdf" in the
// current folder, and writes it there, saying in a message what went wrong.
void savePdfAs(QWidget* parent, const QString& document, const std::function<void(const QString&)>& write);

// The system's printers, the default one first.
QStringList systemPrinters();

// "横 位置 -0.20 mm 倍率 100.05 % / 縦 …"
QString calibrationText(const labeldata::Calibration& calibration);
