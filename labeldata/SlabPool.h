#pragma once

#include <cstddef>

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
    explicit constexpr SlabPool(size_t blockSize) : blockSize_(blockSize) {}
    SlabPool(const SlabPool&) = delete;
    SlabPool& operator=(const SlabPool&) = delete;
    // Frees the empty slabs; a slab with a block still out stays, so that block stays valid.
    ~SlabPool();

    // A block of size bytes, 8-aligned; a size other than the pool's comes from the heap.
    // Throws std::bad_alloc.
    void* allocate(size_t size);
    void deallocate(void* block) noexcept;

    // Slabs the pool holds, the empty ones included.
    size_t slabCount() const { return slabs_; }

    struct Slab;
    struct Slot;

private:
    Slab* newSlab();
    void releaseSlab(Slab* slab) noexcept;
    bool onOwnerThread();

    size_t blockSize_;
    const void* owner_ = nullptr;
    Slab* room_ = nullptr;  // slabs with a free slot, most recently freed into first
    Slab* spare_ = nullptr; // emptied slabs, linked through next
    size_t slabs_ = 0;
};

} // namespace labeldata
