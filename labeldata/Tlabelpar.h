#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Length word of the template file (thousandths of an inch, read unsigned) to millimetres.
double MilToMm(uint16_t value);
// Millimetres to thousandths of an inch, rounded half up in extended precision.
int32_t MmToMil(double length);

// One label style: the sheet, one label, margins, spacing and grid, and the name shown for it.
class Tlabelpar {
public:
    std::string Name; // raw code page 932 bytes, trailing zero bytes kept
    double SheetWidth = 0;
    double SheetHeight = 0;
    double LabelWidth = 0;
    double LabelHeight = 0;
    double VerticalSpacing = 0;
    double HorizontalSpacing = 0;
    int32_t Rows = 0;
    int32_t Columns = 0;
    double LeftMargin = 0;
    double TopMargin = 0;
    double RightMargin = 0;
    double BottomMargin = 0;

    // Record layout inside a template image.
    static constexpr size_t RecordSize = 52;
    static constexpr size_t RecordReadSize = 30; // mark plus the 13 words that are read

    // Styles come and go by the tens of thousands with a template file; a pool keeps that off
    // the general heap. Only the thread that made the first style uses it (see SlabPool).
    static void* operator new(std::size_t size);
    static void operator delete(void* style) noexcept;

    // Fills the twelve numbers from the record at offset; throws std::out_of_range, changing
    // nothing, when the words it reads are not all inside the image.
    void ReadRecord(std::string_view image, size_t offset);
};
