// varnet-updater: finds the Varnet, compares its firmware with the bundled image and updates it.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "Application/FrameworkApp.h"
#include "Application/InformationOptions.h"
#include "FirmwareUpdater/Simulator/SimulatedHidPlatform.h"
#include "FirmwareUpdater/Simulator/SimulatorConfig.h"
#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/Platform/EntryPoint.h"
#include "OrvFramework/Platform/Folders.h"
#include "OrvFramework/Platform/Signals.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

namespace {

// The device the program talks to: the simulated Varnet when VARNET_DEVICE=simulated (set up from
// the VARNET_SIM_* variables), the system's HID otherwise. Fails with a message on a bad variable.
Orv::ORVRESULT CreateDevicePlatform(Orv::Platform::IClock& clock,
                                    std::unique_ptr<Orv::Platform::IHidPlatform>& platform, std::string& error) {
    const Varnet::EnvironmentLookup lookup = [](const char* name) { return std::getenv(name); };
    if (!Varnet::IsSimulatorSelected(lookup)) {
        platform = Orv::Platform::CreateSystemHidPlatform();
        return Orv::S_OK;
    }
    Varnet::SimulatorConfig config;
    if (Orv::Failed(Varnet::ReadSimulatorConfig(lookup, config, error))) return Orv::E_INVALIDARG;
    platform = std::make_unique<Varnet::SimulatedHidPlatform>(std::move(config), clock);
    return Orv::S_OK;
}

}  // namespace

int Orv::Platform::ProgramMain(int argc, char** argv) {
    using namespace Orv;
    // Answered before anything else: no lock, no device, no window.
    if (const InformationRequest request = FindInformationRequest(argc, argv); request != InformationRequest::None) {
        std::fputs(InformationText(request).c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // Before any thread exists, so that every thread inherits the blocked signals and only the
    // signal thread takes them: nothing from outside may cut an upload short.
    Platform::SignalThread::BlockInThisThread();
    // The toolkit's own handlers would turn an interrupt into a quit behind our back.
    Platform::HostApp::LeaveSignalsToTheProgram();
    Platform::IClock& clock = Platform::GetRealClock();
    Platform::SignalThread::Start(clock);
    std::unique_ptr<Platform::SingleInstance> instance = TakeSingleInstanceLock(JoinCommandLine(argc, argv));
    if (!instance) return 1;
    std::unique_ptr<Platform::IHidPlatform> platform;
    std::string error;
    if (Failed(CreateDevicePlatform(clock, platform, error))) {
        std::fprintf(stderr, "varnet-updater: %s\n", error.c_str());
        return 1;
    }

    UpdateEnvironment environment;
    environment.platform = std::move(platform);
    environment.clock = &clock;
    environment.programFolder = String(Utf8ToUtf16(Platform::GetModuleFolder()));

    MFCFrameworkApp<LApplication> app(std::move(environment), std::move(instance));
    try {
        RunHostApp(app, argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varnet-updater: %s\n", e.what());
    }
    // The process always answers 1 after its run, whatever happened.
    return 1;
}

#ifndef _WIN32
int main(int argc, char** argv) { return Orv::Platform::ProgramMain(argc, argv); }
#endif
