#include <gtest/gtest.h>

#include <cstring>

#include "OrvFramework/Utilities/Storage/Buffer.h"

namespace Orv {
namespace {

// Counts the heap calls a buffer makes, to show when it stays where it is.
class CountingAllocator final : public IAllocator {
public:
    void* Allocate(std::size_t bytes) override { return GetSystemAllocator().Allocate(bytes); }
    void* AllocateCleared(std::size_t count, std::size_t size) override {
        return GetSystemAllocator().AllocateCleared(count, size);
    }
    void* Reallocate(void* block, std::size_t bytes) override {
        ++reallocations;
        if (failNext) {
            failNext = false;
            return nullptr;
        }
        return GetSystemAllocator().Reallocate(block, bytes);
    }
    void Free(void* block) override {
        ++frees;
        GetSystemAllocator().Free(block);
    }
    int reallocations = 0;
    int frees = 0;
    bool failNext = false;
};

CountingAllocator g_counting;
IAllocator& Counting() { return g_counting; }

TEST(BufferT, CapacityFollowsTheSizeInWholeGranules) {
    BufferT<1024, 0> buffer;
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    buffer.SetSize(1024);
    EXPECT_EQ(buffer.GetCapacity(), 1024u);
    buffer.SetSize(2000);
    EXPECT_EQ(buffer.GetCapacity(), 2048u);
    // 2048 - 900 is more than one granule: shrink to the granule that holds 900 bytes.
    buffer.SetSize(900);
    EXPECT_EQ(buffer.GetCapacity(), 1024u);
    EXPECT_EQ(buffer.GetSize(), 900u);
}

TEST(BufferT, DropOfLessThanOneGranuleKeepsTheBlock) {
    BufferT<1024, 0, 8, std::byte, Counting> buffer;
    buffer.SetSize(1024);
    const void* block = buffer.GetData();
    const int before = g_counting.reallocations;
    buffer.SetSize(100);
    EXPECT_EQ(buffer.GetCapacity(), 1024u);
    EXPECT_EQ(buffer.GetData(), block);
    EXPECT_EQ(g_counting.reallocations, before);
    // A drop of exactly one granule is not more than one: the block stays.
    buffer.SetSize(2048);
    buffer.SetSize(1024);
    EXPECT_EQ(buffer.GetCapacity(), 2048u);
    buffer.SetSize(1023);
    EXPECT_EQ(buffer.GetCapacity(), 1024u);
}

TEST(BufferT, FirstAllocationReservesTheInitialSize) {
    BufferT<1024, 1024> ring;
    ring.SetSize(8);
    EXPECT_EQ(ring.GetCapacity(), 1024u);
    BufferT<1, 128> bytes;
    bytes.SetSize(3);
    EXPECT_EQ(bytes.GetCapacity(), 128u);
    BufferT<4, 0> pointers;  // grows exactly with its contents
    pointers.SetSize(12);
    EXPECT_EQ(pointers.GetCapacity(), 12u);
    pointers.SetSize(16);
    EXPECT_EQ(pointers.GetCapacity(), 16u);
}

TEST(BufferT, KeepsContentsAcrossGrowthAndCopies) {
    BufferT<4, 0> buffer;
    buffer.SetSize(5);
    std::memcpy(buffer.GetData(), "abcde", 5);
    buffer.SetSize(4096);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "abcde", 5), 0);
    BufferT<4, 0> copy = buffer;
    EXPECT_NE(copy.GetData(), buffer.GetData());
    EXPECT_EQ(copy.GetSize(), 4096u);
    EXPECT_EQ(std::memcmp(copy.GetData(), "abcde", 5), 0);
}

TEST(BufferT, RefusedAllocationThrowsBadAllocAndLosesNothing) {
    BufferT<16, 0, 8, std::byte, Counting> buffer;
    buffer.SetSize(10);
    std::memcpy(buffer.GetData(), "keep", 4);
    g_counting.failNext = true;
    try {
        buffer.SetSize(100);
        FAIL() << "expected a Bad Alloc error";
    } catch (const std::bad_alloc& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Bad Alloc : ", 0), 0u) << e.what();
    }
    EXPECT_EQ(buffer.GetSize(), 10u);
    EXPECT_EQ(buffer.GetCapacity(), 16u);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "keep", 4), 0);
}

TEST(LBufferT, CopyOnWriteGivesAPrivateCopyOfTheBytes) {
    using Shared = LBufferT<8, 0>;
    RCPtr<Shared> first = MakeRC<Shared>(3);
    std::memcpy(first->GetData(), "xyz", 3);
    ConstRCPtr<Shared> second(first.Get());
    second.Unshare();
    ASSERT_NE(second.Get(), first.Get());
    EXPECT_EQ(second->GetSize(), 3u);
    EXPECT_EQ(std::memcmp(second->GetData(), "xyz", 3), 0);
    EXPECT_EQ(first->GetReferenceCount(), 1);
}

}  // namespace
}  // namespace Orv
