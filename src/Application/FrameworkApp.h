#pragma once
// The host side of the application: start-up hooks and the run cycle with its quiet exits.
#include <memory>
#include <optional>
#include <string>

#include "Application/Application.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Notification/Event.h"
#include "OrvFramework/Platform/HostApp.h"
#include "OrvFramework/Platform/Signals.h"
#include "OrvFramework/Platform/SingleInstance.h"
#include "OrvFramework/System/SplashWindow.h"

namespace Orv {

class OSWindow;

// The one process-wide application object; null outside Run.
RCPtr<LApplication>& TheApplication();

// The splash picture of a program whose resource folder is `folder`: folder + "/Splash.png" when
// that names an existing file that is not a folder, else none.
std::optional<std::string> GetSplashImagePath(const String& folder);

// One updater at a time, settled before anything else (the device platform, skins, the device
// search), so that two starts never both talk to the device. The lock when this start is the
// first. Otherwise null: the command line went to the first start when it has a window to take it;
// else a line on standard error says why this start ends, without touching the device.
std::unique_ptr<Platform::SingleInstance> TakeSingleInstanceLock(const std::string& commandLine);
// The name of the lock, and of the main window's class, by which a later start finds the first one.
inline constexpr char kSingleInstanceName[] = "{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}_FirmwareUpdater";

template <class App>
class MFCFrameworkApp : public Platform::HostApp {
public:
    // instance: the lock taken by TakeSingleInstanceLock; without it InitApplication takes it.
    explicit MFCFrameworkApp(UpdateEnvironment environment,
                             std::unique_ptr<Platform::SingleInstance> instance = nullptr)
        : m_environment(std::move(environment)), m_instance(std::move(instance)) {}
    ~MFCFrameworkApp() override { Platform::SignalThread::SetPolicy(nullptr); }

    bool InitApplication() override;
    bool InitInstance() override;
    int Run() override;
    bool OnIdle(long count) override;
    // A quit from the system (an interrupt or terminate signal) is an exit request like any other:
    // refused while the device is being programmed.
    void OnSystemQuit() override;

    RCPtr<LControlFactory> GetControlFactory() const { return m_factory; }

private:
    // What the signals from outside do while this program runs (see Platform/Signals.h): held while
    // an upload runs, then the program ends; otherwise as without it.
    class SignalPolicy : public Platform::ISignalPolicy {
    public:
        explicit SignalPolicy(MFCFrameworkApp& host) : m_host(host) {}
        bool IsBusy() override;
        void OnHeld(int signal) override;
        void OnHeldSignalDue(int signal) override;
        bool OnSignal(int signal) override;

        // Changed only through SignalThread::Update.
        App* application = nullptr;
        bool silent = false;

    private:
        MFCFrameworkApp& m_host;
    };

    // Ends the run without a window: the application goes, the lock is released.
    void EndWithoutWindow(RCPtr<App>& application);
    void ShowStartupError();
    void ShowSplash();
    void CloseSplash();
    // The device search missed the device: the first miss shows the searching splash (which can
    // cancel the search), every miss moves its strip on.
    void OnSearchMissed(int attempt, int attempts);

    UpdateEnvironment m_environment;
    RCPtr<LControlFactory> m_factory;
    ConstRCPtr<LStringTable> m_frameworkStrings;
    std::uint32_t m_language = 0x0409;
    std::unique_ptr<Platform::SingleInstance> m_instance;
    std::unique_ptr<SplashWindow> m_splash;
    RCPtr<LEvent> m_searchCancel;
    bool m_searchSplashTried = false;
    SignalPolicy m_signalPolicy{*this};
    // The main window while the loop runs; the quit for its loss is asked once.
    OSWindow* m_mainWindow = nullptr;
    bool m_windowLostQuit = false;
};

extern template class MFCFrameworkApp<LApplication>;

}  // namespace Orv
