#include <gtest/gtest.h>

#include "OrvFramework/Utilities/Storage/RCPtrQueue.h"

namespace Orv {

class QueueItem : public LRefCountedObject {
public:
    explicit QueueItem(int v) : value(v) {}
    int value;
};

namespace {

TEST(RCPtrQueueTest, GrowsOneSlotAtATimeKeepingOrderAcrossTheWrap) {
    RCPtrQueue<QueueItem, 4> ring;
    int next = 0, expected = 0;
    // Move the read index into the middle so that growth happens with a wrapped ring.
    for (int i = 0; i < 3; ++i) ring.Enqueue(MakeRC<QueueItem>(next++));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(ring.Dequeue()->value, expected++);
    for (int i = 0; i < 2; ++i) ring.Enqueue(MakeRC<QueueItem>(next++));
    EXPECT_EQ(ring.GetCount(), 3u);
    EXPECT_EQ(ring.GetSlotCount(), 4u);
    ring.Enqueue(MakeRC<QueueItem>(next++));
    EXPECT_EQ(ring.GetSlotCount(), 5u);
    ring.Enqueue(MakeRC<QueueItem>(next++));
    EXPECT_EQ(ring.GetSlotCount(), 6u);
    EXPECT_EQ(ring.GetCount(), 5u);
    while (!ring.IsEmpty()) EXPECT_EQ(ring.Dequeue()->value, expected++);
    EXPECT_EQ(expected, next);
}

TEST(RCPtrQueueTest, DequeueFromAnEmptyRingThrows) {
    RCPtrQueue<QueueItem, 256> ring;
    EXPECT_THROW(ring.Dequeue(), std::runtime_error);
}

}  // namespace
}  // namespace Orv
