#include "labeldata/SlabPool.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace labeldata {

namespace {

constexpr size_t SlabBytes = 64 * 1024;

[[noreturn]] void fail(const char* message)
{
    std::fputs(message, stderr);
    std::abort();
}

constexpr size_t HeaderBytes = offsetof(SlabPool::Slot, next);

SlabPool::Slab* tagged(SlabPool::Slab* s) { return reinterpret_cast<SlabPool::Slab*>(reinterpret_cast<uintptr_t>(s) | SlabPool::FreeTag); }

void* heapBlock(size_t size)
{
    auto* slot = static_cast<void**>(::operator new(HeaderBytes + size));
    *slot = nullptr;
    return reinterpret_cast<char*>(slot) + HeaderBytes;
}

} // namespace

SlabPool::~SlabPool()
{
    while (Slab* s = FSpare) {
        FSpare = s->next;
        ::operator delete(s);
    }
}

bool SlabPool::onOwnerThread()
{
    if (FOwner == &detail::threadMark)
        return true;
    if (FOwner)
        return false;
    FOwner = &detail::threadMark;
    return true;
}

SlabPool::Slab* SlabPool::newSlab()
{
    if (Slab* s = FSpare) {
        FSpare = s->next;
        s->next = nullptr;
        return s;
    }
    const size_t slotBytes = (HeaderBytes + FBlockSize + 7) / 8 * 8;
    const size_t capacity = (SlabBytes - sizeof(Slab)) / slotBytes;
    auto* s = static_cast<Slab*>(::operator new(sizeof(Slab) + capacity * slotBytes));
    *s = Slab{nullptr, nullptr, nullptr, 0, 0, slotBytes, capacity};
    ++FSlabs;
    return s;
}

void SlabPool::slabFilled(Slab* s) noexcept
{
    FRoom = s->next;
    if (FRoom)
        FRoom->prev = nullptr;
    s->next = nullptr;
}

void* SlabPool::allocateSlow(size_t size)
{
    if (size != FBlockSize || size < sizeof(Slot*) || !onOwnerThread())
        return heapBlock(size);
    if (!FRoom)
        FRoom = newSlab();
    return allocate(size); // now takes the common path
}

void SlabPool::deallocateSlow(void* block) noexcept
{
    auto* slot = reinterpret_cast<Slot*>(static_cast<char*>(block) - HeaderBytes);
    Slab* s = slot->slab;
    if (!s) {
        ::operator delete(slot);
        return;
    }
    if (reinterpret_cast<uintptr_t>(s) & FreeTag)
        fail("labeldata: a pooled block was freed twice\n");
    if (FOwner != &detail::threadMark)
        fail("labeldata: a pooled block was freed on a thread that does not own the pool\n");
    if (s->used == s->capacity) {
        s->prev = nullptr;
        s->next = FRoom;
        if (FRoom)
            FRoom->prev = s;
        FRoom = s;
    }
    slot->slab = tagged(s);
    slot->next = s->free;
    s->free = slot;
    if (--s->used == 0)
        releaseSlab(s);
}

void SlabPool::releaseSlab(Slab* s) noexcept
{
    if (s->prev)
        s->prev->next = s->next;
    else
        FRoom = s->next;
    if (s->next)
        s->next->prev = s->prev;
    // Kept for the next file, as the heap keeps small freed blocks: handing the slabs back let
    // the heap return them to the system, and the next load paid a page fault for every page.
    *s = Slab{nullptr, FSpare, nullptr, 0, 0, s->slotBytes, s->capacity};
    FSpare = s;
}

} // namespace labeldata
