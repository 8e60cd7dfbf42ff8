#pragma once

#include "labeldata/TemplateFormat.h"
#include "labeldata/Tlabelpar.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

enum class LoadResult {
    Loaded,
    NotTemplate, // the magic is missing; the window says so
    Damaged,     // the magic is there but the directory or a record lies beyond the end
};

// The template set: a file name, a group name and the label styles it owns, in file order.
class Tdatatree {
public:
    QString FileName;
    std::string GroupName; // raw code page 932 bytes, trailing zero bytes kept
    std::vector<Tlabelpar> LabelList;

    static constexpr std::string_view Magic = labeldata::tpl::Magic;
    static constexpr size_t HeaderSize = labeldata::tpl::HeaderSize;
    static constexpr size_t EntrySize = labeldata::tpl::EntrySize;
    static constexpr size_t MaxStyles = labeldata::tpl::MaxStyles;

    Tdatatree() = default;
    Tdatatree(const Tdatatree&) = delete;
    Tdatatree& operator=(const Tdatatree&) = delete;
    Tdatatree(Tdatatree&&) = default;
    Tdatatree& operator=(Tdatatree&&) = default;
    virtual ~Tdatatree();

    // Frees every style; FileName and GroupName stay.
    void Clear();

    // Reads FileName whole and appends its styles. Throws labeldata::FileError when the file
    // cannot be read or is no regular file (a FIFO, a folder: refused before it is opened); on
    // anything but Loaded the set is unchanged.
    LoadResult Load();
    // The same over bytes already in memory.
    LoadResult LoadImage(std::string_view image);

    // Replaces FileName with the whole set. Throws labeldata::FileError on failure, leaving an
    // existing file as it was. The content goes first to a hidden file beside it,
    // ".NAME.saving-XXXXXX", synced, renamed over it when complete, and the folder synced
    // (labeldata::writeFileDurably); a save killed half way leaves the old file whole and such a
    // file behind, which the next save of the same file removes.
    void Save() const;
    // The file content Save writes: 47 + 75n bytes.
    std::string SaveImage() const;

    static bool IsTemplate(std::string_view image);
    // count bytes from offset, zero bytes included; throws std::out_of_range past the end.
    static std::string ReadFixedString(std::string_view image, size_t offset, size_t count);

private:
    // Writes all fileSize(n) bytes of the image at p; throws std::length_error above MaxStyles.
    void WriteImage(char* p) const;
};
