#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "OrvFramework/Notification/NotificationTestSupport.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"

namespace Orv {
namespace {

using Test::Clients;
using Test::Delivery;
using Test::RecordingClient;
using Test::Values;

RCPtr<LNotification> ValueNotification(std::u16string_view id, double value) {
    return LNotification::Create(id, MakeRC<LValueParam>(value));
}

// A notification center with client "c" registered for NID_VALUE_CHANGE.
class CenterTest : public ::testing::Test {
protected:
    CenterTest() { c->Register(center.Get(), u"NID_VALUE_CHANGE"); }
    ORVRESULT PostValue(double value) { return center->Post(ValueNotification(u"NID_VALUE_CHANGE", value).Get()); }

    std::vector<Delivery> log;
    bool destroyed = false;
    RCPtr<LNotificationCenter> center = MakeRC<LNotificationCenter>(String(u"t"));
    RCPtr<RecordingClient> c = MakeRC<RecordingClient>("c", &log, &destroyed);
};

// The event loop sleeps until told: every accepted post, from any thread, calls the hook; a refused
// post does not, and a cleared hook is not called.
TEST(NotificationQueueTest, PostHookHearsEveryAcceptedPost) {
    std::atomic<int> calls{0};  // the hook's context: it counts there
    LNotificationQueue::SetPostHook([](void* context) { ++*static_cast<std::atomic<int>*>(context); }, &calls);
    auto queue = MakeRC<LNotificationQueue>();
    auto d = MakeRC<LNotificationDistributor>();
    auto n = LNotification::Create(u"NID_VALUE_CHANGE");
    EXPECT_EQ(queue->Post(nullptr), E_INVALIDARG);
    EXPECT_EQ(queue->Post(n.Get()), E_FAIL);  // no distributor
    EXPECT_FALSE(n->IsQueued());
    EXPECT_EQ(calls, 0);
    queue->SetDistributor(d.Get());
    EXPECT_EQ(queue->Post(n.Get()), S_OK);
    EXPECT_EQ(queue->Post(n.Get()), E_INVALIDARG);  // already queued
    EXPECT_EQ(queue->GetCount(), 1u);
    EXPECT_EQ(calls, 1);
    std::thread worker([&] {
        for (int i = 0; i < 50; ++i) queue->Post(LNotification::Create(u"NID_VALUE_CHANGE").Get());
    });
    worker.join();
    EXPECT_EQ(calls, 51);
    LNotificationQueue::SetPostHook(nullptr, nullptr);
    queue->ProcessQueue(false);
    EXPECT_EQ(queue->Post(n.Get()), S_OK);
    EXPECT_EQ(calls, 51);
    queue->Discard();
    queue->SetDistributor(nullptr);
}

TEST_F(CenterTest, PostsDuringProcessingWaitForTheNextCall) {
    auto idle = MakeRC<RecordingClient>("idle", &log);
    idle->Register(center.Get(), u"NID_IDLE");
    bool nestedResult = false;
    c->m_onReceive = [&](LNotificationDistributor*, LNotification* n) {
        const double v = n->GetParameterAs<LValueParam>()->m_value;
        if (v == 1) PostValue(10);
        // Processing does not nest: only the idle notification goes out, and the answer says that
        // notifications are waiting.
        if (v == 2) nestedResult = center->ProcessQueue(true);
    };
    PostValue(1);
    PostValue(2);
    EXPECT_TRUE(center->ProcessQueue(false));
    EXPECT_TRUE(nestedResult);
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"c", "c", "idle"}));
    log.clear();
    EXPECT_FALSE(center->ProcessQueue(true));
    EXPECT_EQ(Values(log), (std::vector<double>{10, -1}));
    EXPECT_EQ(Clients(log), (std::vector<std::string>{"c", "idle"}));
}

TEST_F(CenterTest, TeardownDiscardsQueuedNotificationsAndEndsRegistrations) {
    auto queued = ValueNotification(u"NID_VALUE_CHANGE", 1);
    center->Post(queued.Get());
    auto queue = center->GetQueue();  // as a worker would hold it
    EXPECT_EQ(center->ReleaseInternalReferences(), S_OK);
    EXPECT_FALSE(queued->IsQueued());
    EXPECT_EQ(queue->GetCount(), 0u);
    EXPECT_EQ(PostValue(2), E_FAIL);
    EXPECT_EQ(queue->Post(ValueNotification(u"NID_VALUE_CHANGE", 3).Get()), E_FAIL);
    EXPECT_FALSE(center->ProcessQueue(true));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(c->GetRegistrationCount(), 0);
    EXPECT_EQ(c->GetReferenceCount(), 1);
    c = nullptr;
    EXPECT_TRUE(destroyed);
}

TEST(NotificationPoolTest, ReleasedNotificationsAreReusedWhilePoolingIsOn) {
    LNotification::SetPoolingEnabled(true);
    const LNotification* first = nullptr;
    {
        auto n = LNotification::Create(u"NID_MOUSE_MOVE", MakeRC<LValueParam>(1));
        first = n.Get();
    }
    EXPECT_EQ(LNotification::GetPoolSize(), 1u);
    {
        auto n = LNotification::Create(u"NID_MOUSE_DOWN");
        EXPECT_EQ(n.Get(), first);
        EXPECT_EQ(n->GetID(), InternNotificationID(u"NID_MOUSE_DOWN"));
        EXPECT_TRUE(n->GetParameter().IsNull());  // dropped when it was returned
        EXPECT_EQ(LNotification::GetPoolSize(), 0u);
    }
    LNotification::SetPoolingEnabled(false);
    EXPECT_EQ(LNotification::GetPoolSize(), 0u);
}

}  // namespace
}  // namespace Orv
