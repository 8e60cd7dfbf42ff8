#include "labeldata/ByteString.h"

#include <utility>

namespace labeldata {

void ByteString::initHeap(const char* bytes, size_t size)
{
    heap_ = new char[size];
    std::memcpy(heap_, bytes, size);
    size_ = size;
}

ByteString::ByteString(ByteString&& other) noexcept : size_(other.size_)
{
    if (other.onHeap())
        heap_ = std::exchange(other.heap_, nullptr);
    else
        std::memcpy(inline_, other.inline_, other.size_);
    other.size_ = 0;
}

ByteString& ByteString::operator=(ByteString&& other) noexcept
{
    if (this != &other) {
        release();
        size_ = other.size_;
        if (other.onHeap())
            heap_ = std::exchange(other.heap_, nullptr);
        else
            std::memcpy(inline_, other.inline_, other.size_);
        other.size_ = 0;
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
        delete[] heap_;
    size_ = 0;
}

} // namespace labeldata
