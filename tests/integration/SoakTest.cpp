// Many complete updates in one process: each run builds the whole application (processor, engine,
// worker thread) over a fresh simulated device, updates it, and tears everything down. Every run
// must leave the image in flash, and the process must not keep anything of the runs behind.
#include <gtest/gtest.h>

#include <malloc.h>

#include <filesystem>

#include "IntegrationSupport.h"
#include "Support/ScopedEnvironment.h"

namespace {

using namespace VarnetIntegration;

constexpr int kRuns = 200;
constexpr int kSettledRun = 20;
// Heap in use may move by allocator bookkeeping and the notification identifiers interned once;
// a leak of a run's engine, image or thread would cost far more over 180 runs.
constexpr std::size_t kGrowthTolerance = 64 * 1024;

#ifdef _WIN32
std::size_t HeapInUse() {
    _HEAPINFO block{};
    std::size_t used = 0;
    while (_heapwalk(&block) == _HEAPOK)
        if (block._useflag == _USEDENTRY) used += block._size;
    return used;
}
#else
std::size_t HeapInUse() { return mallinfo2().uordblks; }
#endif

TEST(Soak, TwoHundredCompleteUpdatesLeaveNothingBehind) {
    // The file registry store syncs every value it writes to disk; the soak is about memory, so its
    // scratch files go to a memory file system where there is one.
    ScopedEnvironment temp;
    if (std::filesystem::is_directory("/dev/shm")) temp.Set("TMPDIR", "/dev/shm");
    VarnetTest::RegistrySandbox registry;
    VarnetTest::TestImage image(6, Varnet::SampleSiliconId, Varnet::SampleSiliconRevision, 128);
    Orv::Platform::VirtualClock clock;

    std::size_t settled = 0;
    for (int run = 1; run <= kRuns; ++run) {
        std::weak_ptr<Varnet::SimulatedHidPlatform> deviceAlive;
        {
            auto device = std::make_shared<Varnet::SimulatedHidPlatform>(VarnetTest::QuickConfig(), clock);
            deviceAlive = device;
            Session session(clock, device);
            // Every tenth run also builds the main control from the skin and starts with Next,
            // so the control tree is created and torn down as often as the measured runs see it.
            const bool withWindow = run % 10 == 0;
            if (withWindow) {
                ASSERT_EQ(session.Start(image.Option(), true), Orv::S_OK) << "run " << run;
                ASSERT_TRUE(session.ClickNext()) << "run " << run;
            } else {
                ASSERT_EQ(session.Start("-START_UPDATE_AUTOMATICALLY " + image.Option(), false), Orv::S_OK)
                    << "run " << run;
            }
            ASSERT_TRUE(session.Finish()) << "run " << run;
            ASSERT_EQ(session.Shown("labelFirmwareUpdateSucceed"), withWindow) << "run " << run;
            ASSERT_EQ(session.Outcomes(),
                      (std::vector<std::u16string>{NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_COMPLETE}))
                << "run " << run;
            ASSERT_EQ(device->GetFlash(), image.rows) << "run " << run;
            ASSERT_EQ(registry.SuppressAutoUpdates(), false) << "run " << run;
        }
        // The engine held the device; once the application is gone nothing may still hold it.
        ASSERT_TRUE(deviceAlive.expired()) << "run " << run << " left its engine alive";
        if (run == kSettledRun) settled = HeapInUse();
    }
    const std::size_t final = HeapInUse();
    EXPECT_LE(final, settled + kGrowthTolerance) << "heap in use grew from " << settled << " to " << final
                                                 << " bytes over " << (kRuns - kSettledRun) << " updates";
}

}  // namespace
