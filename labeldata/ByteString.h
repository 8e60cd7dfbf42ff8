#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace labeldata {

// Raw bytes, zero bytes included, of any length. A style name read from a file has 19 bytes,
// too many for std::string's in-place buffer: a full file then cost one heap block per style,
// and loading it took twice as long. Up to InlineCapacity bytes live in the object itself.
class ByteString {
public:
    static constexpr size_t InlineCapacity = 24;

    ByteString() noexcept {}
    ByteString(std::string_view bytes) { init(bytes.data(), bytes.size()); }
    ByteString(const std::string& bytes) : ByteString(std::string_view(bytes)) {}
    ByteString(const char* text) : ByteString(std::string_view(text)) {}
    ByteString(const char* bytes, size_t size) { init(bytes, size); }
    ByteString(const ByteString& other) { init(other.data(), other.FSize); }
    ByteString(ByteString&& other) noexcept;
    ~ByteString()
    {
        if (onHeap())
            delete[] FHeap;
    }

    ByteString& operator=(const ByteString& other) { return assign(other.data(), other.FSize); }
    ByteString& operator=(ByteString&& other) noexcept;
    ByteString& operator=(std::string_view bytes) { return assign(bytes.data(), bytes.size()); }
    ByteString& operator=(const std::string& bytes) { return assign(bytes.data(), bytes.size()); }
    ByteString& operator=(const char* text) { return *this = std::string_view(text); }

    // bytes may lie inside this string.
    ByteString& assign(const char* bytes, size_t size)
    {
        if (size > InlineCapacity || onHeap())
            return assignSlow(bytes, size);
        if (size != 0) { // an empty view may have no bytes at all
            const auto from = reinterpret_cast<uintptr_t>(bytes), own = reinterpret_cast<uintptr_t>(FInline);
            if (from >= own + InlineCapacity || from + size <= own)
                std::memcpy(FInline, bytes, size); // a fixed size becomes a few moves, not a call
            else
                std::memmove(FInline, bytes, size);
        }
        FSize = size;
        return *this;
    }

    const char* data() const noexcept { return onHeap() ? FHeap : FInline; }
    char* data() noexcept { return onHeap() ? FHeap : FInline; }
    size_t size() const noexcept { return FSize; }
    bool empty() const noexcept { return FSize == 0; }
    char operator[](size_t i) const noexcept { return data()[i]; }
    const char* begin() const noexcept { return data(); }
    const char* end() const noexcept { return data() + FSize; }

    operator std::string_view() const noexcept { return {data(), FSize}; }
    std::string str() const { return std::string(data(), FSize); }

    friend bool operator==(const ByteString& a, std::string_view b) noexcept { return std::string_view(a) == b; }

private:
    bool onHeap() const noexcept { return FSize > InlineCapacity; }
    void init(const char* bytes, size_t size)
    {
        if (size > InlineCapacity)
            return initHeap(bytes, size);
        if (size != 0)
            std::memcpy(FInline, bytes, size);
        FSize = size;
    }
    void initHeap(const char* bytes, size_t size);
    ByteString& assignSlow(const char* bytes, size_t size);
    void release() noexcept;

    size_t FSize = 0;
    union {
        char FInline[InlineCapacity];
        char* FHeap;
    };
};

} // namespace labeldata
