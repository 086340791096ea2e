#include <gtest/gtest.h>

#include <utility>

#include "OrvFramework/Notification/NotificationTestSupport.h"
#include "OrvFramework/Notification/NotificationCenter.h"

namespace Orv {
namespace {

using Test::Clients;
using Test::Delivery;
using Test::RecordingClient;

TEST(NotificationIDTest, InterningByTextNotByBuffer) {
    std::u16string a = u"NID_IDLE";
    std::u16string b = u"NID_";
    b += u"IDLE";
    const NotificationID id = InternNotificationID(a);
    EXPECT_NE(id, nullptr);
    EXPECT_EQ(id, InternNotificationID(b));
    EXPECT_EQ(id, InternNotificationID(id));  // an entry is its own identifier
    EXPECT_EQ(id, IdleNotificationID());
    EXPECT_NE(id, InternNotificationID(u"NID_idle"));  // case-sensitive
    // A prefix of an entry that starts at the same address is a different identifier.
    EXPECT_NE(id, InternNotificationID(std::u16string_view(id, 4)));
    EXPECT_EQ(InternNotificationID(u""), nullptr);
    EXPECT_EQ(InternNotificationID(static_cast<const char16_t*>(nullptr)), nullptr);
    EXPECT_TRUE(LNotification::Create(u"").IsNull());
}

// A distributor, and clients that log what they receive into one log.
class DistributorTest : public ::testing::Test {
protected:
    // A client, registered for NID_VALUE_CHANGE at the distributor unless told otherwise.
    RCPtr<RecordingClient> Client(const char* name, bool registered = true) {
        auto c = MakeRC<RecordingClient>(name, &log);
        if (registered) c->Register(d.Get(), u"NID_VALUE_CHANGE");
        return c;
    }
    void Send() { d->Distribute(LNotification::Create(id).Get()); }

    std::vector<Delivery> log;
    RCPtr<LNotificationDistributor> d = MakeRC<LNotificationDistributor>();
    const NotificationID id = InternNotificationID(u"NID_VALUE_CHANGE");
};

TEST_F(DistributorTest, ResultsAndReverseRegistrationOrder) {
    auto a = Client("a", false), b = Client("b", false);
    auto n = LNotification::Create(id);
    EXPECT_EQ(d->Distribute(nullptr), E_INVALIDARG);
    EXPECT_EQ(d->Distribute(n.Get()), S_FALSE);
    EXPECT_EQ(d->RegisterClient(nullptr, id, 0), E_INVALIDARG);
    EXPECT_EQ(d->RegisterClient(a.Get(), nullptr, 0), S_FALSE);
    EXPECT_EQ(a->Register(d.Get(), u"NID_VALUE_CHANGE"), id);
    EXPECT_EQ(b->Register(d.Get(), u"NID_VALUE_CHANGE"), id);
    // Registering twice keeps one registration.
    EXPECT_EQ(d->RegisterClient(a.Get(), id, 0), S_FALSE);
    EXPECT_EQ(d->GetRegistrationCount(id), 2u);
    EXPECT_EQ(a->GetInternalReferenceCount(), 1);
    EXPECT_EQ(d->Distribute(n.Get()), S_OK);
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(a->Unregister(d.Get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(a->Unregister(d.Get(), id), S_OK);
    EXPECT_EQ(a->Unregister(d.Get(), id), S_FALSE);  // holds none any more
    EXPECT_EQ(b->Unregister(d.Get(), id), S_OK);
    EXPECT_EQ(d->Distribute(n.Get()), S_FALSE);  // the pool is empty
}

TEST_F(DistributorTest, RegistrationChangesDuringASend) {
    auto c1 = Client("c1"), c2 = Client("c2"), c3 = Client("c3"), c4 = Client("c4"), late = Client("late", false);
    // c4 (served first) removes itself and adds a newcomer; c3 removes c1, which was still to come.
    c4->m_onReceive = [&](LNotificationDistributor* s, LNotification*) {
        c4->Unregister(s, id);
        late->Register(s, u"NID_VALUE_CHANGE");
    };
    c3->m_onReceive = [&](LNotificationDistributor* s, LNotification*) { c1->Unregister(s, id); };
    Send();
    Send();
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"c4", "c3", "c2", "late", "c3", "c2"}));
}

TEST_F(DistributorTest, NestedSendOfTheSameIdentifierDoesNotCutTheOuterOneShort) {
    auto a = Client("a"), b = Client("b");
    bool nested = false;
    b->m_onReceive = [&](LNotificationDistributor*, LNotification*) {
        if (!std::exchange(nested, true)) Send();
    };
    Send();
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"b", "b", "a", "a"}));
}

TEST_F(DistributorTest, RegistrationsAreInternalReferences) {
    bool destroyed = false;
    auto d2 = MakeRC<LNotificationDistributor>();
    {
        auto c = MakeRC<RecordingClient>("c", &log, &destroyed);
        c->Register(d.Get(), u"NID_MOUSE_MOVE");
        c->Register(d.Get(), u"NID_MOUSE_DOWN");
        c->Register(d2.Get(), u"NID_MOUSE_UP");
        EXPECT_EQ(c->GetRegistrationCount(), 3);
        EXPECT_EQ(c->GetInternalReferenceCount(), 3);
        EXPECT_EQ(c->GetReferenceCount(), 4);
        c->Unregister(d.Get(), InternNotificationID(u"NID_MOUSE_DOWN"));
        EXPECT_EQ(c->GetInternalReferenceCount(), 2);
    }
    // Nobody outside held the client any more: its registrations were ended and it was freed.
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(d->HasRegistrations(InternNotificationID(u"NID_MOUSE_MOVE")));
    EXPECT_FALSE(d2->HasRegistrations(InternNotificationID(u"NID_MOUSE_UP")));

    // A distributor that goes away releases its clients.
    auto c = Client("c");
    EXPECT_EQ(c->GetReferenceCount(), 2);
    d = nullptr;
    EXPECT_EQ(c->GetReferenceCount(), 1);
    EXPECT_EQ(c->GetInternalReferenceCount(), 0);
}

}  // namespace
}  // namespace Orv
