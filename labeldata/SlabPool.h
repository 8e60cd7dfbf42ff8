#pragma once

#include <cstddef>
#include <cstdint>

namespace labeldata {

// Hands out blocks of one size from 64 KiB slabs, for objects made and freed by the tens of
// thousands at a time (the styles of a large template file). Emptied slabs are kept for reuse,
// so the pool holds as many slabs as were ever in use at once.
//
// Not locked: the program has one thread. The first thread that allocates owns the pool; other
// threads get blocks straight from the heap, which any thread may free. A pooled block freed on
// another thread aborts the program rather than corrupt the pool.
class SlabPool {
public:
    explicit constexpr SlabPool(size_t blockSize) : FBlockSize(blockSize) {}
    SlabPool(const SlabPool&) = delete;
    SlabPool& operator=(const SlabPool&) = delete;
    // Frees the empty slabs; a slab with a block still out stays, so that block stays valid.
    ~SlabPool();

    // A block of size bytes, 8-aligned; a size other than the pool's comes from the heap.
    // Throws std::bad_alloc.
    inline void* allocate(size_t size);
    inline void deallocate(void* block) noexcept;

    // Slabs the pool holds, the empty ones included.
    size_t slabCount() const { return FSlabs; }

    struct Slab;
    struct Slot;
    static constexpr uintptr_t FreeTag = 1; // on a free slot's slab pointer: a second free is caught

private:
    void* allocateSlow(size_t size);
    void deallocateSlow(void* block) noexcept;
    void slabFilled(Slab* slab) noexcept;
    Slab* newSlab();
    void releaseSlab(Slab* slab) noexcept;
    bool onOwnerThread();

    size_t FBlockSize;
    const void* FOwner = nullptr;
    Slab* FRoom = nullptr;  // slabs with a free slot, most recently freed into first
    Slab* FSpare = nullptr; // emptied slabs, linked through next
    size_t FSlabs = 0;
};

namespace detail {
// Its address tells the threads apart.
inline thread_local constinit char threadMark = 0;
} // namespace detail

// Each slot starts with its slab, so a block finds its way home without aligned slabs or a
// search; a block from the heap has none there.
struct SlabPool::Slot {
    Slab* slab;
    Slot* next; // while free; the block's own bytes otherwise
};

struct SlabPool::Slab {
    Slab* prev;
    Slab* next;
    Slot* free;
    size_t used;
    size_t fresh; // slots from here on were never handed out
    size_t slotBytes;
    size_t capacity;

    Slot* slot(size_t i) { return reinterpret_cast<Slot*>(reinterpret_cast<char*>(this + 1) + i * slotBytes); }
};

// The common case inline: a file's worth of styles is 65535 allocations in a row, and three
// calls for each were a fifth of the time it takes to load.
inline void* SlabPool::allocate(size_t size)
{
    Slab* const s = FRoom;
    if (!s || size != FBlockSize || size < sizeof(Slot*) || FOwner != &detail::threadMark)
        return allocateSlow(size);
    Slot* slot = s->free;
    if (slot)
        s->free = slot->next;
    else
        slot = s->slot(s->fresh++);
    slot->slab = s;
    if (++s->used == s->capacity)
        slabFilled(s);
    return &slot->next;
}

inline void SlabPool::deallocate(void* block) noexcept
{
    if (!block)
        return;
    auto* slot = reinterpret_cast<Slot*>(static_cast<char*>(block) - offsetof(Slot, next));
    Slab* const s = slot->slab;
    // Anything unusual (a heap block, a double free, another thread, a slab to move between
    // lists) takes the slow path, which also does the checks.
    if (!s || (reinterpret_cast<uintptr_t>(s) & FreeTag) || FOwner != &detail::threadMark || s->used == s->capacity
        || s->used == 1)
        return deallocateSlow(block);
    slot->slab = reinterpret_cast<Slab*>(reinterpret_cast<uintptr_t>(s) | FreeTag);
    slot->next = s->free;
    s->free = slot;
    --s->used;
}

} // namespace labeldata
