#include <gtest/gtest.h>

#include <functional>

#include "OrvFramework/Utilities/Storage/ArrayUtils.h"
#include "OrvFramework/Utilities/Storage/ConstRCPtrArray.h"
#include "OrvFramework/Utilities/Storage/HashedList.h"
#include "OrvFramework/Utilities/Storage/Holder.h"
#include "OrvFramework/Utilities/Storage/Pair.h"
#include "OrvFramework/Utilities/Storage/RCPtrArray.h"
#include "OrvFramework/Utilities/Storage/StringArray.h"

namespace Orv {

class LTracked : public LRefCountedObject {
public:
    explicit LTracked(int id, int* destroyed) : id(id), m_destroyed(destroyed) {}
    LTracked(const LTracked& other) : LRefCountedObject(other), id(other.id + 100), m_destroyed(other.m_destroyed) {}
    ~LTracked() override { ++*m_destroyed; }
    RCPtr<LRefCountedObject> CreateCopy() const override { return RCPtr<LRefCountedObject>(new LTracked(*this)); }
    int id;

private:
    int* m_destroyed;
};

namespace {

TEST(Array, AccessPastTheEndIsTheStandardSubscriptError) {
    Array<int> a{1, 2, 3};
    EXPECT_EQ(a[2], 3);
    for (int bad : {3, -1, 100}) {
        try {
            (void)a.GetAt(bad);
            FAIL() << bad;
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
        }
    }
    EXPECT_THROW(a.SetAt(3, 0), std::logic_error);
    EXPECT_THROW(a.InsertAt(4, 0), std::logic_error);
    EXPECT_THROW(a.RemoveRange(2, 2), std::logic_error);
    a.InsertAt(3, 4);
    a.InsertAt(0, 0);
    a.RemoveRange(1, 2);
    EXPECT_EQ(a.GetVector(), (std::vector<int>{0, 3, 4}));
    a.SetCount(5);
    EXPECT_EQ(a.GetVector(), (std::vector<int>{0, 3, 4, 0, 0}));
}

TEST(RCPtrArray, EveryElementIsReleasedExactlyOnce) {
    int destroyed = 0;
    {
        RCPtrArray<LTracked> array;
        RCPtr<LTracked> keep = MakeRC<LTracked>(1, &destroyed);
        array.Add(keep);
        array.Add(MakeRC<LTracked>(2, &destroyed));
        array.Add(MakeRC<LTracked>(3, &destroyed));
        array.Add(nullptr);  // a null element holds nothing
        EXPECT_EQ(keep->GetReferenceCount(), 2);
        array.SetAt(1, keep);  // overwriting releases element 2
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(keep->GetReferenceCount(), 3);
        array.RemoveRange(0, 4);
        EXPECT_EQ(destroyed, 2);  // element 3
        EXPECT_EQ(keep->GetReferenceCount(), 1);
        array.Add(MakeRC<LTracked>(4, &destroyed));
        array.RemoveAll();
        EXPECT_EQ(destroyed, 3);
    }
    EXPECT_EQ(destroyed, 4);  // keep itself
}

TEST(RCPtrArray, UnshareableElementIsStoredAsACopy) {
    int destroyed = 0;
    RCPtr<LTracked> original = MakeRC<LTracked>(7, &destroyed);
    original->SetUnshareable(true);
    ConstRCPtrArray<LTracked> array;
    array.Add(ConstRCPtr<LTracked>(original.Get()));
    ASSERT_NE(array[0].Get(), original.Get());
    EXPECT_EQ(array[0]->id, 107);
    EXPECT_EQ(original->GetReferenceCount(), 1);
    EXPECT_EQ(array[0]->GetReferenceCount(), 1);
}

TEST(RCPtrArray, RemoveItemHandsOverTheReferenceAndChecksTheIndex) {
    int destroyed = 0;
    RCPtrArray<LTracked> array;
    for (int i = 0; i < 3; ++i) array.Add(MakeRC<LTracked>(i, &destroyed));
    RCPtr<LTracked> out = MakeRC<LTracked>(99, &destroyed);
    try {
        array.RemoveItem(3, out);
        FAIL() << "index = count must throw";
    } catch (const std::out_of_range& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Out of Range : Orv::RCPtrArray<class Orv::LTracked,1,0>::RemoveItem : ", 0), 0u)
            << message;
        EXPECT_NE(message.find(" : Line 177"), std::string::npos) << message;
    }
    EXPECT_THROW(array.RemoveItem(-1, out), std::out_of_range);
    EXPECT_EQ(out->id, 99);  // a failed call leaves the out-pointer alone
    EXPECT_EQ(array.RemoveItem(2, out), 2);
    EXPECT_EQ(destroyed, 1);  // what out held
    EXPECT_EQ(out->id, 2);
    EXPECT_EQ(out->GetReferenceCount(), 1);
}

TEST(ConstRCPtrArray, RemoveItemNamesItsOwnFunction) {
    int destroyed = 0;
    ConstRCPtrArray<LTracked, 256, 256> ring;
    ring.Add(ConstRCPtr<LTracked>(new LTracked(1, &destroyed)));
    ConstRCPtr<LTracked> out;
    try {
        ring.RemoveItem(1, out);
        FAIL();
    } catch (const ExceptionBase& e) {
        const std::string message = e.GetMessage();
        EXPECT_EQ(message.rfind("Out of Range : Orv::ConstRCPtrArray<class Orv::LTracked,256,256>::RemoveItem : ", 0),
                  0u)
            << message;
        EXPECT_NE(message.find(" : Line 218"), std::string::npos);
    }
    EXPECT_EQ(ring.RemoveItem(0, out), 0);
    out = nullptr;
    EXPECT_EQ(destroyed, 1);
}

TEST(ArrayUtils, SortChecksTheRangeOnlyForTwoOrMoreElements) {
    Array<int> a{5, 3, 9, 1, 7};
    ArrayUtils::Sort(a, 1, 3, std::less<int>());
    EXPECT_EQ(a.GetVector(), (std::vector<int>{5, 1, 3, 9, 7}));
    ArrayUtils::Sort(a, 40, 1, std::less<int>());  // below two: nothing, not even a check
    try {
        ArrayUtils::Sort(a, 3, 3, std::less<int>());
        FAIL();
    } catch (const std::out_of_range& e) {
        const std::string message = e.what();
        EXPECT_EQ(message.rfind("Out of Range : Orv::ArrayUtils::Sort : ", 0), 0u) << message;
        EXPECT_NE(message.find("Line 254"), std::string::npos);
    }
    EXPECT_EQ(a.GetVector(), (std::vector<int>{5, 1, 3, 9, 7}));
}

TEST(ArrayUtils, SortIndeciesOrdersIndexesAndLeavesTheArray) {
    const Array<String> names{W("delta"), W("alpha"), W("charlie"), W("bravo")};
    Array<int> indexes;
    ArrayUtils::SortIndecies(indexes, names, 1, 3, std::less<String>());
    EXPECT_EQ(indexes.GetVector(), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(names[0], W("delta"));
    ArrayUtils::SortIndecies(indexes, names, 2, 1, std::less<String>());
    EXPECT_EQ(indexes.GetVector(), (std::vector<int>{2}));
    for (auto [start, count] : {std::pair{4, 1}, std::pair{3, 2}, std::pair{5, 0}}) {
        try {
            ArrayUtils::SortIndecies(indexes, names, start, count, std::less<String>());
            FAIL() << start << "," << count;
        } catch (const std::out_of_range& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Out of Range : Orv::ArrayUtils::SortIndecies : ", 0), 0u);
            EXPECT_NE(std::string(e.what()).find("Line 266"), std::string::npos);
        }
    }
}

using Entry = RCPtr<LPair<String, int>>;
String EntryKey(const Entry& e) { return e ? e->GetKey() : String(); }

// Every key in one bucket, to show the list still tells keys apart.
std::uint32_t OneBucket(const String&) { return 0x1234500; }

TEST(HashedList, FindsByKeyAndKeepsTheFirstDefinition) {
    HashedList<Entry, String, EntryKey> list;
    EXPECT_TRUE(list.Add(MakeRC<LPair<String, int>>(W("Button"), 1)));
    EXPECT_TRUE(list.Add(MakeRC<LPair<String, int>>(W("Label"), 2)));
    EXPECT_FALSE(list.Add(MakeRC<LPair<String, int>>(W("Button"), 3)));
    EXPECT_EQ(list.GetCount(), 2);
    ASSERT_NE(list.Find(W("Button")), nullptr);
    EXPECT_EQ((*list.Find(W("Button")))->GetValue(), 1);
    EXPECT_EQ(list.Find(W("button")), nullptr);  // keys compare case-sensitively
    EXPECT_TRUE(list.Remove(W("Button")));
    EXPECT_FALSE(list.Contains(W("Button")));

    HashedList<Entry, String, EntryKey, 8, OneBucket> crowded;
    for (int i = 0; i < 50; ++i) crowded.Add(MakeRC<LPair<String, int>>(KeyToString(i), i));
    EXPECT_EQ(crowded.GetCount(), 50);
    EXPECT_EQ((*crowded.Find(W("37")))->GetValue(), 37);
    int sum = 0;
    crowded.ForEach([&](const Entry& e) { sum += e->GetValue(); });
    EXPECT_EQ(sum, 49 * 50 / 2);
}

TEST(GetBits, TakesTheNamedBits) {
    EXPECT_EQ((GetBits<8, 0>(0x12345678)), 0x78u);
    EXPECT_EQ((GetBits<8, 8>(0x12345678)), 0x56u);
    EXPECT_EQ((GetBits<8, 56>(0xAB00000000000000ull)), 0xABu);
}

TEST(SmallObjects, HolderPairAndStringArray) {
    RCPtr<LHolder<int>> held = MakeRC<LHolder<int>>(5);
    ConstRCPtr<LHolder<int>> other(held.Get());
    other.Unshare();
    held->Set(6);
    EXPECT_EQ(other->Get(), 5);

    Pair<int, String> p(3, W("x"));
    EXPECT_EQ(p.first, 3);

    StringArray words{W("a"), W("b c"), W("d")};
    EXPECT_EQ(words.Join(W(" ")), W("a b c d"));
    EXPECT_EQ(words.Find(W("d")), 2);
    EXPECT_EQ(words.Find(W("z")), -1);
}

}  // namespace
}  // namespace Orv
