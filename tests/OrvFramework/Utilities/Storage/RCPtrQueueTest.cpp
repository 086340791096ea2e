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
    try {
        ring.Dequeue();
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("Runtime Error : ", 0), 0u) << what;
        EXPECT_NE(what.find("Orv::RCPtrQueue<class Orv::QueueItem,256>::Dequeue"), std::string::npos) << what;
    }
}

}  // namespace
}  // namespace Orv
