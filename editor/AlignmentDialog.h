#pragma once

#include "labeldata/Alignment.h"
#include "sheet/TestSheet.h"

#include <QDialog>
#include <QStringList>

#include <array>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class TUpdownNumberEdit;

// "位置合わせ": prints the alignment sheet of the style in the window's fields on the real label
// sheet and takes the eight readings of its scales; OK leaves the fitted style for the fields.
class TAlignmentDialog : public QDialog
{
    Q_OBJECT
public:
    // The printers to offer, the one to start with first; none: the sheet only as a PDF.
    TAlignmentDialog(const Tlabelpar& style, const sheet::SheetTitles& titles, const QStringList& printers,
                     QWidget* parent = nullptr);

    QComboBox* ComboBoxPrinter = nullptr;
    QLabel* LabelNoPrinter = nullptr;
    QPushButton* ButtonPrint = nullptr;
    QPushButton* ButtonPdf = nullptr;
    // In reading order, as labeldata::AlignmentScales.
    std::array<TUpdownNumberEdit*, 8> EditReadings{};
    QLabel* LabelWarning = nullptr;
    QLabel* LabelResult = nullptr;
    QDialogButtonBox* Buttons = nullptr;

    QString printerName() const;

    // What the eight fields give: an empty string and the fitted style, or why not.
    QString problem(labeldata::AlignedStyle& result) const;
    // The fitted style once accepted.
    const Tlabelpar& alignedStyle() const { return FAligned; }

    // Keeps the fitted style and closes; with bad input says why and stays open.
    void accept() override;

private:
    void showResult();
    void printSheet();
    void savePdf();

    Tlabelpar FStyle;
    Tlabelpar FAligned;
    sheet::SheetTitles FTitles;
};

// "左端の 2 つの値 (①と⑤) が…" for each edge whose two readings disagree; empty when none does.
QString skewWarning(const labeldata::AlignedStyle& result);
