#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The layout of a .tpl file: little-endian, fixed-width fields. Reader, writer and tools all
// take their offsets and sizes from here.
namespace labeldata::tpl {

inline constexpr std::string_view Magic = "Vellumo V2.0 TPL";

inline constexpr size_t HeaderSize = 47;
inline constexpr size_t GroupNameOffset = 30;
inline constexpr size_t GroupNameReadSize = 16; // the slot and the count's low byte, as read
inline constexpr size_t GroupNameSlot = 15;     // bytes 30..44; 45 starts the count
inline constexpr size_t CountOffset = 45;
inline constexpr size_t MaxStyles = 65535;      // the count is one 16-bit word

// Directory entry: name slot, its closing zero, then the record's offset.
inline constexpr size_t EntrySize = 23;
inline constexpr size_t NameSlot = 18;
inline constexpr size_t NameReadSize = 19;      // the slot and its closing zero, as read

// Record: mark, 14 words (two of them reserved), the name again.
inline constexpr size_t RecordSize = 52;
inline constexpr size_t RecordReadSize = 30;    // mark plus the 13 words that are read
inline constexpr uint32_t RecordMark = 203609;
inline constexpr size_t RecordWordsOffset = 4;
inline constexpr size_t RecordNameOffset = 32;

inline constexpr size_t entryOffset(size_t i) { return HeaderSize + EntrySize * i; }
inline constexpr size_t fileSize(size_t styles) { return HeaderSize + (EntrySize + RecordSize) * styles; }

} // namespace labeldata::tpl
