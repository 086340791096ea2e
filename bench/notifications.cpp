// Post-and-deliver throughput of notification queues: on one thread, and with a worker thread
// posting while the user-interface thread processes.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "OrvFramework/Notification/NotificationCenter.h"
#include "OrvFramework/Notification/NotificationClient.h"
#include "OrvFramework/Notification/NotificationParams.h"

namespace {

using namespace Orv;

class Counter : public LNotificationClient {
public:
    ORVRESULT ReceiveNotification(LNotificationDistributor*, LNotification*) override {
        count.fetch_add(1, std::memory_order_relaxed);
        return S_OK;
    }
    std::atomic<std::int64_t> count{0};
};

struct Pooling {
    Pooling() { LNotification::SetPoolingEnabled(true); }
    ~Pooling() { LNotification::SetPoolingEnabled(false); }
};

// Posts a batch, then delivers it, all on one thread.
void BM_PostAndProcessSameThread(benchmark::State& state) {
    Pooling pooling;
    auto center = MakeRC<LNotificationCenter>(String(u"bench"));
    auto client = MakeRC<Counter>();
    client->Register(center.Get(), u"NID_VALUE_CHANGE");
    const auto batch = state.range(0);
    for (auto _ : state) {
        for (std::int64_t i = 0; i < batch; ++i)
            center->Post(LNotification::Create(u"NID_VALUE_CHANGE", MakeRC<LValueParam>(double(i))).Get());
        center->ProcessQueue(false);
    }
    state.SetItemsProcessed(state.iterations() * batch);
    center->ReleaseInternalReferences();
}
BENCHMARK(BM_PostAndProcessSameThread)->Arg(1)->Arg(64)->Arg(1024);

// A worker posts `batch` notifications while this thread processes until all have arrived.
void BM_PostFromWorkerProcessOnMain(benchmark::State& state) {
    Pooling pooling;
    auto center = MakeRC<LNotificationCenter>(String(u"bench-threads"));
    auto client = MakeRC<Counter>();
    client->Register(center.Get(), u"NID_FIRMWARE_UPDATE_PROGRESS");
    RCPtr<LNotificationQueue> queue = center->GetQueue();
    const auto batch = state.range(0);
    for (auto _ : state) {
        const std::int64_t target = client->count.load() + batch;
        std::thread worker([&] {
            for (std::int64_t i = 0; i < batch; ++i)
                queue->Post(LNotification::Create(u"NID_FIRMWARE_UPDATE_PROGRESS").Get());
        });
        while (client->count.load() < target) center->ProcessQueue(false);
        worker.join();
    }
    state.SetItemsProcessed(state.iterations() * batch);
    center->ReleaseInternalReferences();
}
BENCHMARK(BM_PostFromWorkerProcessOnMain)->Arg(1024)->Arg(16384)->UseRealTime();

// A direct send to several clients, without any queue.
void BM_Distribute(benchmark::State& state) {
    auto distributor = MakeRC<LNotificationDistributor>();
    std::vector<RCPtr<Counter>> clients;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        clients.push_back(MakeRC<Counter>());
        clients.back()->Register(distributor.Get(), u"NID_MOUSE_MOVE");
    }
    auto n = LNotification::Create(u"NID_MOUSE_MOVE");
    for (auto _ : state) benchmark::DoNotOptimize(distributor->Distribute(n.Get()));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Distribute)->Arg(1)->Arg(8);

}  // namespace
