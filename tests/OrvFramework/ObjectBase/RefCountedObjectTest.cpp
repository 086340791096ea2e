#include <gtest/gtest.h>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {
namespace {

int g_destroyed = 0;

class LCounted : public LRefCountedObject {
public:
    explicit LCounted(int value = 0) : value(value) {}
    ~LCounted() override { ++g_destroyed; }
    int value;
};

class LCopyable : public LCounted {
public:
    using LCounted::LCounted;
    RCPtr<LRefCountedObject> CreateCopy() const override { return RCPtr<LRefCountedObject>(new LCopyable(value)); }
};

class LOther : public LRefCountedObject {};

// Holds a reference to a partner that holds it back: one internal reference per partner.
class LNode : public LCounted {
public:
    RCPtr<LNode> partner;
    int releaseInternalCalls = 0;
    ORVRESULT ReleaseInternalReferences() override {
        ++releaseInternalCalls;
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
    EXPECT_EQ(raw->GetReferenceCount(), 0);
    {
        RCPtr<LCounted> a(raw);
        EXPECT_EQ(raw->GetReferenceCount(), 1);
        RCPtr<LCounted> b = a;
        EXPECT_EQ(raw->GetReferenceCount(), 2);
        b = a;  // same object: unchanged
        EXPECT_EQ(raw->GetReferenceCount(), 2);
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

TEST_F(RefCountedObjectTest, RunTimeConversionToUnrelatedTypeIsNull) {
    RCPtr<LRefCountedObject> base(new LCounted(3));
    RCPtr<LCounted> down(base);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->value, 3);
    RCPtr<LOther> other(base);
    EXPECT_FALSE(other);
    EXPECT_EQ(base->GetReferenceCount(), 2);
}

TEST_F(RefCountedObjectTest, CycleBrokenThroughInternalReferences) {
    {
        RCPtr<LNode> a = MakeRC<LNode>();
        RCPtr<LNode> b = MakeRC<LNode>();
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

TEST_F(RefCountedObjectTest, UnshareCopiesOnlyWhenShared) {
    RCPtr<LCopyable> a = MakeRC<LCopyable>(7);
    const LCopyable* original = a.Get();
    a.Unshare();
    EXPECT_EQ(a.Get(), original);

    RCPtr<LCopyable> b = a;
    b.Unshare();
    EXPECT_NE(b.Get(), original);
    EXPECT_EQ(b->value, 7);
    EXPECT_EQ(b->GetReferenceCount(), 1);
    EXPECT_EQ(a->GetReferenceCount(), 1);
}

TEST_F(RefCountedObjectTest, UnshareableObjectIsCopiedWhenSecondPointerAttaches) {
    RCPtr<LCopyable> a = MakeRC<LCopyable>(9);
    a->SetUnshareable(true);
    RCPtr<LCopyable> b = a;
    EXPECT_NE(a.Get(), b.Get());
    EXPECT_EQ(a->GetReferenceCount(), 1);
    EXPECT_EQ(b->GetReferenceCount(), 1);
}

TEST_F(RefCountedObjectTest, SetUnshareableOnSharedObjectThrowsAndKeepsFlag) {
    RCPtr<LCounted> a = MakeRC<LCounted>();
    a->SetUnshareable(true);
    a->SetUnshareable(false);
    RCPtr<LCounted> b = a;
    EXPECT_THROW(a->SetUnshareable(true), Exception<std::runtime_error>);
    EXPECT_TRUE(a->IsShareable());
    EXPECT_NO_THROW(a->SetUnshareable(false));
}

}  // namespace
}  // namespace Orv
