#include <gtest/gtest.h>

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

TEST(NotificationDistributorTest, ResultsAndReverseRegistrationOrder) {
    std::vector<Delivery> log;
    auto d = MakeRC<LNotificationDistributor>();
    auto a = MakeRC<RecordingClient>("a", &log);
    auto b = MakeRC<RecordingClient>("b", &log);
    auto n = LNotification::Create(u"NID_LEFT_CLICK");
    EXPECT_EQ(d->Distribute(nullptr), E_INVALIDARG);
    EXPECT_EQ(d->Distribute(n.Get()), S_FALSE);
    EXPECT_EQ(d->RegisterClient(nullptr, n->GetID(), 0), E_INVALIDARG);
    EXPECT_EQ(d->RegisterClient(a.Get(), nullptr, 0), S_FALSE);
    EXPECT_EQ(a->Register(d.Get(), u"NID_LEFT_CLICK"), n->GetID());
    EXPECT_EQ(b->Register(d.Get(), u"NID_LEFT_CLICK"), n->GetID());
    EXPECT_EQ(d->Distribute(n.Get()), S_OK);
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(a->Unregister(d.Get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(a->Unregister(d.Get(), n->GetID()), S_OK);
    EXPECT_EQ(a->Unregister(d.Get(), n->GetID()), S_FALSE);  // holds none any more
    EXPECT_EQ(b->Unregister(d.Get(), n->GetID()), S_OK);
    EXPECT_EQ(d->Distribute(n.Get()), S_FALSE);  // the pool is empty
}

TEST(NotificationDistributorTest, RegisteringTwiceKeepsOneRegistration) {
    std::vector<Delivery> log;
    auto d = MakeRC<LNotificationDistributor>();
    auto a = MakeRC<RecordingClient>("a", &log);
    const NotificationID id = InternNotificationID(u"NID_VALUE_CHANGE");
    EXPECT_EQ(d->RegisterClient(a.Get(), id, 0), S_OK);
    EXPECT_EQ(d->RegisterClient(a.Get(), id, 0), S_FALSE);
    EXPECT_EQ(d->GetRegistrationCount(id), 1u);
    EXPECT_EQ(a->GetRegistrationCount(), 1);
    EXPECT_EQ(a->GetInternalReferenceCount(), 1);
    EXPECT_EQ(d->Distribute(LNotification::Create(id).Get()), S_OK);
    EXPECT_EQ(log.size(), 1u);
}

TEST(NotificationDistributorTest, RegistrationChangesDuringASend) {
    std::vector<Delivery> log;
    auto d = MakeRC<LNotificationDistributor>();
    auto c1 = MakeRC<RecordingClient>("c1", &log);
    auto c2 = MakeRC<RecordingClient>("c2", &log);
    auto c3 = MakeRC<RecordingClient>("c3", &log);
    auto c4 = MakeRC<RecordingClient>("c4", &log);
    auto late = MakeRC<RecordingClient>("late", &log);
    const NotificationID id = c1->Register(d.Get(), u"NID_VALUE_CHANGE");
    c2->Register(d.Get(), u"NID_VALUE_CHANGE");
    c3->Register(d.Get(), u"NID_VALUE_CHANGE");
    c4->Register(d.Get(), u"NID_VALUE_CHANGE");
    // c4 (served first) removes itself and adds a newcomer; c3 removes c1, which was still to come.
    c4->m_onReceive = [&](LNotificationDistributor* s, LNotification*) {
        c4->Unregister(s, id);
        late->Register(s, u"NID_VALUE_CHANGE");
    };
    c3->m_onReceive = [&](LNotificationDistributor* s, LNotification*) { c1->Unregister(s, id); };
    d->Distribute(LNotification::Create(id).Get());
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"c4", "c3", "c2"}));
    log.clear();
    d->Distribute(LNotification::Create(id).Get());
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"late", "c3", "c2"}));
}

TEST(NotificationDistributorTest, NestedSendOfTheSameIdentifierDoesNotCutTheOuterOneShort) {
    std::vector<Delivery> log;
    auto d = MakeRC<LNotificationDistributor>();
    auto a = MakeRC<RecordingClient>("a", &log);
    auto b = MakeRC<RecordingClient>("b", &log);
    const NotificationID id = a->Register(d.Get(), u"NID_VALUE_CHANGE");
    b->Register(d.Get(), u"NID_VALUE_CHANGE");
    bool nested = false;
    b->m_onReceive = [&](LNotificationDistributor* s, LNotification*) {
        if (nested) return;
        nested = true;
        s->Distribute(LNotification::Create(id).Get());
    };
    d->Distribute(LNotification::Create(id).Get());
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"b", "b", "a", "a"}));
}

TEST(NotificationClientTest, RegistrationsAreInternalReferences) {
    std::vector<Delivery> log;
    bool destroyed = false;
    auto d1 = MakeRC<LNotificationDistributor>();
    auto d2 = MakeRC<LNotificationDistributor>();
    {
        auto c = MakeRC<RecordingClient>("c", &log, &destroyed);
        c->Register(d1.Get(), u"NID_MOUSE_MOVE");
        c->Register(d1.Get(), u"NID_MOUSE_DOWN");
        c->Register(d2.Get(), u"NID_MOUSE_UP");
        EXPECT_EQ(c->GetRegistrationCount(), 3);
        EXPECT_EQ(c->GetInternalReferenceCount(), 3);
        EXPECT_EQ(c->GetReferenceCount(), 4);
        c->Unregister(d1.Get(), InternNotificationID(u"NID_MOUSE_DOWN"));
        EXPECT_EQ(c->GetInternalReferenceCount(), 2);
    }
    // Nobody outside held the client any more: its registrations were ended and it was freed.
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(d1->HasRegistrations(InternNotificationID(u"NID_MOUSE_MOVE")));
    EXPECT_FALSE(d2->HasRegistrations(InternNotificationID(u"NID_MOUSE_UP")));
}

TEST(NotificationClientTest, ADistributorThatGoesAwayReleasesItsClients) {
    std::vector<Delivery> log;
    auto c = MakeRC<RecordingClient>("c", &log);
    {
        auto d = MakeRC<LNotificationDistributor>();
        c->Register(d.Get(), u"NID_MOUSE_MOVE");
        EXPECT_EQ(c->GetReferenceCount(), 2);
    }
    EXPECT_EQ(c->GetReferenceCount(), 1);
    EXPECT_EQ(c->GetInternalReferenceCount(), 0);
}

}  // namespace
}  // namespace Orv
