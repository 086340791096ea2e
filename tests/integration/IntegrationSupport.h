#pragma once
// Whole updater runs in process: the application object (with its update processor, engine and
// worker thread) over a simulated Varnet on virtual time, the main control offscreen when asked,
// the registry in a temporary folder and the firmware notifications recorded on this thread.
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "../FirmwareUpdater/Engine/EngineTestSupport.h"
#include "../OrvFramework/ControlBase/ControlTestSupport.h"
#include "Application/Application.h"
#include "FirmwareUpdater/UI/MainControl.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Notification/Notification.h"

namespace VarnetIntegration {

// Virtual time a test lets a run take before it calls the run hung.
inline constexpr auto kRunTimeout = std::chrono::seconds(600);

// The command code ("OUT 01 39 ...": the second byte) of every "OUT" line of a transcript, in
// order: element i is command i + 1.
inline std::vector<std::uint8_t> CommandCodes(const std::vector<std::string>& transcript) {
    std::vector<std::uint8_t> codes;
    for (const auto& line : transcript)
        if (line.rfind("OUT ", 0) == 0 && line.size() >= 9)
            codes.push_back(static_cast<std::uint8_t>(std::stoi(line.substr(7, 2), nullptr, 16)));
    return codes;
}

// The 1-based numbers of the commands with `code`.
inline std::vector<int> CommandNumbers(const std::vector<std::uint8_t>& codes, std::uint8_t code) {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code) numbers.push_back(static_cast<int>(i) + 1);
    return numbers;
}

// One updater session: build, run, look, tear down. Everything it creates is gone after Close.
class Session {
public:
    Session(Orv::Platform::VirtualClock& clock, std::shared_ptr<Varnet::SimulatedHidPlatform> device)
        : m_clock(clock), m_device(std::move(device)) {}
    ~Session() { Close(); }

    // Creates the application (with the control classes when `withWindow`) and initializes it.
    Orv::ORVRESULT Start(const std::string& arguments, bool withWindow) {
        UpdateEnvironment environment{m_device, &m_clock, Orv::W(VARNET_SOURCE_DIR "/resources"),
                                      [this](const std::string& line) {
                                          std::lock_guard<std::mutex> lock(m_reportMutex);
                                          m_reports.push_back(line);
                                      },
                                      [](const std::string&) {}};
        if (withWindow) {
            m_factory = Orv::MakeRC<Orv::LControlFactory>(Orv::W("Varnet Firmware Updater"));
            if (m_factory->LoadDefinitions(Orv::W("::"), 0x0409) != Orv::S_OK) return Orv::E_FAIL;
        }
        m_recorder = VarnetTest::NotificationRecorder::Create();
        m_app = Orv::MakeRC<LApplication>(Orv::W("varnet-updater " + arguments), environment, m_factory);
        const Orv::ORVRESULT result = m_app->InitializeApplication();
        if (withWindow && result == Orv::S_OK) {
            m_main = m_factory->CreateControl(Orv::W("mainControl"), &m_host);
            if (!m_main || !dynamic_cast<Orv::LMainControl*>(m_main.Get())) return Orv::E_FAIL;
        }
        return result;
    }

    // Clicks Next on the main control, as the user does on the ready page.
    bool ClickNext() {
        auto next = m_main ? m_main->FindChild(Orv::W("buttonNext")) : nullptr;
        if (!next || !next->IsVisibleFlag()) return false;
        next->Send(u"NID_LEFT_CLICK");
        return true;
    }

    // Waits (virtual time, bounded) for the worker's run, then delivers what it posted.
    bool Finish() {
        const bool done = m_app->GetUpdateProcessor()->WaitForRun(kRunTimeout);
        (void)m_recorder->Collect();
        return done;
    }

    bool Shown(const char* child) const {
        auto control = m_main ? m_main->FindChild(Orv::Utf8ToUtf16(child)) : nullptr;
        return control && control->IsVisibleFlag();
    }

    // Asks the application to end, as the Exit button and the window's close box do; true when
    // it accepted and ended.
    bool RequestExit() {
        int exits = 0;
        m_app->SetExitHandler([&] { ++exits; });
        Orv::GetApplicationNotificationCenter()->Post(Orv::LNotification::Create(u"NID_APP_EXIT_REQ").Get());
        (void)m_app->ProcessNotifications(true);
        m_app->SetExitHandler(nullptr);
        return exits == 1;
    }

    std::vector<std::u16string> Outcomes() { return m_recorder->Outcomes(); }
    std::vector<std::string> Reports() {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        return m_reports;
    }
    LApplication& App() { return *m_app; }

    // The teardown the program does at exit, in its order: controls, application, notifications.
    void Close() {
        if (m_app && m_app->GetUpdateProcessor()) (void)m_app->GetUpdateProcessor()->WaitForRun(kRunTimeout);
        if (m_recorder) m_recorder->Detach();
        if (m_main) m_main->ReleaseInternalReferences();
        m_main = nullptr;
        if (m_app) m_app->Shutdown();
        m_app = nullptr;
        m_factory = nullptr;
        m_recorder = nullptr;
    }

private:
    Orv::Platform::VirtualClock& m_clock;
    std::shared_ptr<Varnet::SimulatedHidPlatform> m_device;
    Orv::ControlTest::TestHost m_host;
    Orv::RCPtr<Orv::LControlFactory> m_factory;
    Orv::RCPtr<Orv::LControl> m_main;
    Orv::RCPtr<VarnetTest::NotificationRecorder> m_recorder;
    Orv::RCPtr<LApplication> m_app;
    std::mutex m_reportMutex;
    std::vector<std::string> m_reports;
};

}  // namespace VarnetIntegration
