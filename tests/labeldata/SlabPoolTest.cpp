#include "labeldata/SlabPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

using labeldata::SlabPool;

namespace {

constexpr size_t BlockSize = 120;

} // namespace

TEST(SlabPool, BlocksAreDistinctWholeAndReusedAfterAClear)
{
    SlabPool pool(BlockSize);
    // Freed in list order and in reverse, as Clear and a user deleting from the end do.
    for (bool reverse : {false, true}) {
        SCOPED_TRACE(reverse);
        size_t slabsAfterFirstRound = 0;
        for (int round = 0; round < 3; ++round) {
            std::vector<unsigned char*> blocks;
            for (size_t i = 0; i < 3000; ++i) {
                auto* b = static_cast<unsigned char*>(pool.allocate(BlockSize));
                ASSERT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
                std::memset(b, int(i & 0xFF), BlockSize);
                blocks.push_back(b);
            }
            std::set<unsigned char*> distinct(blocks.begin(), blocks.end());
            EXPECT_EQ(distinct.size(), blocks.size());
            for (size_t i = 0; i < blocks.size(); ++i) {
                const auto* b = blocks[i];
                ASSERT_TRUE(std::all_of(b, b + BlockSize, [&](unsigned char c) { return c == (i & 0xFF); })) << i;
            }
            if (reverse)
                std::reverse(blocks.begin(), blocks.end());
            for (auto* b : blocks)
                pool.deallocate(b);
            if (round == 0)
                slabsAfterFirstRound = pool.slabCount();
            EXPECT_EQ(pool.slabCount(), slabsAfterFirstRound) << "a reload must reuse the slabs";
        }
    }
}

TEST(SlabPool, SingleBlocksComeAndGoBetweenOthers)
{
    // The editor adds and deletes one style at a time in a loaded set.
    SlabPool pool(BlockSize);
    std::vector<void*> blocks;
    for (int i = 0; i < 2000; ++i)
        blocks.push_back(pool.allocate(BlockSize));
    for (size_t i = 0; i < blocks.size(); i += 3) {
        pool.deallocate(blocks[i]);
        blocks[i] = pool.allocate(BlockSize);
        std::memset(blocks[i], 0x5A, BlockSize);
    }
    std::set<void*> distinct(blocks.begin(), blocks.end());
    EXPECT_EQ(distinct.size(), blocks.size());
    for (void* b : blocks)
        pool.deallocate(b);
    pool.deallocate(nullptr);
}

TEST(SlabPool, OtherSizesAndOtherThreadsUseTheHeap)
{
    SlabPool pool(BlockSize);
    void* own = pool.allocate(BlockSize); // this thread owns the pool now
    const size_t slabs = pool.slabCount();

    void* larger = pool.allocate(BlockSize + 8);
    std::memset(larger, 1, BlockSize + 8);

    void* fromWorker = nullptr;
    void* freedByWorker = pool.allocate(BlockSize + 16);
    std::thread worker([&] {
        fromWorker = pool.allocate(BlockSize);
        std::memset(fromWorker, 2, BlockSize);
        pool.deallocate(freedByWorker);
    });
    worker.join();
    EXPECT_EQ(pool.slabCount(), slabs);

    pool.deallocate(fromWorker);
    pool.deallocate(larger);
    pool.deallocate(own);
}

TEST(SlabPoolDeathTest, MisuseStopsTheProgramInsteadOfCorruptingThePool)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SlabPool pool(BlockSize);
            void* b = pool.allocate(BlockSize);
            pool.deallocate(b);
            pool.deallocate(b);
        },
        "freed twice");
    EXPECT_DEATH(
        {
            SlabPool pool(BlockSize);
            void* b = pool.allocate(BlockSize);
            std::thread([&] { pool.deallocate(b); }).join();
        },
        "does not own the pool");
}
