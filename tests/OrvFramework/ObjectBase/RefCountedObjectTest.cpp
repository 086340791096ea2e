#include <gtest/gtest.h>

#include "OrvFramework/ObjectBase/RCPtr.h"

namespace Orv {
namespace {

int g_destroyed = 0;

class LCounted : public LRefCountedObject {
public:
    explicit LCounted(int value = 0) : value(value) {}
    ~LCounted() override { ++g_destroyed; }
    int value;
};

// Holds a reference to a partner that holds it back: one internal reference per partner.
class LNode : public LCounted {
public:
    RCPtr<LNode> partner;
    ORVRESULT ReleaseInternalReferences() override {
        if (partner) {
            RCPtr<LNode> keep = partner;
            partner = nullptr;
            keep->partner = nullptr;
            AdjustInternalReferenceCount(-1);
        }
        return LCounted::ReleaseInternalReferences();
    }
};

class RefCountedObjectTest : public ::testing::Test {
protected:
    void SetUp() override { g_destroyed = 0; }
};

TEST_F(RefCountedObjectTest, CountsPointersAndDestroysOnceWithLastOne) {
    auto* raw = new LCounted(5);
    {
        RCPtr<LCounted> a(raw);
        RCPtr<LCounted> b = a;
        b = a;  // same object, and itself: unchanged
        a = a;
        EXPECT_EQ(raw->GetReferenceCount(), 2);
        ConstRCPtr<LCounted> c = std::move(b);
        EXPECT_EQ(raw->GetReferenceCount(), 2);
        EXPECT_EQ(c->value, 5);
    }
    EXPECT_EQ(g_destroyed, 1);
}

TEST_F(RefCountedObjectTest, AssignmentThroughAliasKeepsObjectAlive) {
    RCPtr<LNode> holder = MakeRC<LNode>();
    holder->partner = MakeRC<LNode>();
    // The new object is taken before the old one is released, so this must not free it early.
    holder = holder->partner;
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(holder->GetReferenceCount(), 1);
    holder = nullptr;
    EXPECT_EQ(g_destroyed, 2);
}

TEST_F(RefCountedObjectTest, CycleBrokenThroughInternalReferences) {
    {
        RCPtr<LNode> a = MakeRC<LNode>(), b = MakeRC<LNode>();
        a->partner = b;
        b->partner = a;
        // Each holds the other once; both references are internal to the pair.
        a->AdjustInternalReferenceCount(1);
        b->AdjustInternalReferenceCount(1);
        // Dropping b's last outside reference breaks the pair: b goes, a is held only by us.
        b = nullptr;
        EXPECT_EQ(g_destroyed, 1);
        EXPECT_EQ(a->GetReferenceCount(), 1);
        EXPECT_FALSE(a->partner);
    }
    EXPECT_EQ(g_destroyed, 2);
}

TEST_F(RefCountedObjectTest, ReleaseInsideReleaseInternalReferencesDoesNotReenter) {
    auto* node = new LNode;
    RCPtr<LNode> outside(node);
    node->partner = outside;  // a reference to itself
    node->AdjustInternalReferenceCount(1);
    outside = nullptr;
    EXPECT_EQ(g_destroyed, 1);
}

}  // namespace
}  // namespace Orv
