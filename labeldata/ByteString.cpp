#include "labeldata/ByteString.h"

#include <utility>

namespace labeldata {

void ByteString::initHeap(const char* bytes, size_t size)
{
    FHeap = new char[size];
    std::memcpy(FHeap, bytes, size);
    FSize = size;
}

ByteString::ByteString(ByteString&& other) noexcept : FSize(other.FSize)
{
    if (other.onHeap())
        FHeap = std::exchange(other.FHeap, nullptr);
    else
        std::memcpy(FInline, other.FInline, other.FSize);
    other.FSize = 0;
}

ByteString& ByteString::operator=(ByteString&& other) noexcept
{
    if (this != &other) {
        release();
        FSize = other.FSize;
        if (other.onHeap())
            FHeap = std::exchange(other.FHeap, nullptr);
        else
            std::memcpy(FInline, other.FInline, other.FSize);
        other.FSize = 0;
    }
    return *this;
}

ByteString& ByteString::assignSlow(const char* bytes, size_t size)
{
    // Built aside first: bytes may point into this string, and a failed allocation changes nothing.
    ByteString copy(bytes, size);
    return *this = std::move(copy);
}

void ByteString::release() noexcept
{
    if (onHeap())
        delete[] FHeap;
    FSize = 0;
}

} // namespace labeldata
