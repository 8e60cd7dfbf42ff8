#pragma once

#include "sheet/TestSheet.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace sheet {

struct SheetPage {
    Tlabelpar style; // only its twelve numbers are used
    SheetTitles titles;
};

// The PDF of the pages, one test sheet each, every page the size of its own sheet. A PDF is
// never calibrated. Throws std::invalid_argument for no pages or a page whose style has a
// problem.
QByteArray testSheetPdf(const std::vector<SheetPage>& pages);

// Writes that PDF to path as labeldata::writeFileDurably does, so a failed write leaves no half
// file and an existing file as it was. Throws labeldata::FileError.
void writeTestSheetPdf(const QString& path, const std::vector<SheetPage>& pages);

} // namespace sheet
