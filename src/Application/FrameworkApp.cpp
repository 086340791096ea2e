#include "Application/FrameworkApp.h"

#include <signal.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "Application/SearchingSplash.h"
#include "Application/Version.h"
#include "OrvFramework/ControlBase/OSWindow.h"
#include "OrvFramework/Notification/Notification.h"
#include "OrvFramework/Notification/NotificationIDs.h"
#include "OrvFramework/Notification/NotificationQueue.h"
#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/Platform/Locale.h"
#include "OrvFramework/Platform/MessageBox.h"
#include "OrvFramework/System/DebugTracer.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"
#include "OrvFramework/Utilities/Graphics/BitmapData.h"

namespace Orv {

RCPtr<LApplication>& TheApplication() {
    static RCPtr<LApplication> application;
    return application;
}

std::optional<std::string> GetSplashImagePath(const String& folder) {
    const std::string path = Utf16ToUtf8(folder) + "/Splash.png";
    std::error_code error;
    const auto status = std::filesystem::status(Platform::Utf8Path(path), error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) return std::nullopt;
    return path;
}

template <class App>
void MFCFrameworkApp<App>::ShowSplash() {
    // The resource folder holds no such file, so the shipped program starts without a splash.
    const std::optional<std::string> path = GetSplashImagePath(W("::"));
    if (!path) return;
    const RCPtr<LBitmapData> image = MakeRC<LBitmapData>(String(Utf8ToUtf16(*path)));
    // The display is opened here, on the user-interface thread, as for the searching window: the
    // splash thread only uses it.
    if (!image->HasImage() || !Platform::HostApp::EnsureVideo()) return;
    SplashPicture picture{image->GetWidth(), image->GetHeight(), image->GetPixels()};
    m_splash = std::make_unique<SplashWindow>(*m_environment.clock);
    m_splash->Start(std::move(picture), Utf16ToUtf8(Version().GetProductName()));
}

template <class App>
void MFCFrameworkApp<App>::CloseSplash() {
    if (!m_splash) return;
    m_splash->Close();
    m_splash.reset();
}

template <class App>
void MFCFrameworkApp<App>::OnSearchMissed(int attempt, int attempts) {
    if (!m_searchSplashTried) {
        m_searchSplashTried = true;
        // A splash already on show (a picture beside the program) stays; without a display the
        // search goes on unseen, and the run says so when its window cannot open.
        if (m_splash || !Platform::HostApp::EnsureVideo()) return;
        String text, cancel;
        GetSearchingTexts(m_factory.Get(), text, cancel);
        SearchingSplash searching = ComposeSearchingSplash(text, cancel);
        auto splash = std::make_unique<SplashWindow>(*m_environment.clock);
        RCPtr<LEvent> cancelEvent = m_searchCancel;
        splash->SetCancelHandler([cancelEvent] { cancelEvent->Set(); }, searching.cancelButton);
        if (!splash->Start(std::move(searching.picture), Utf16ToUtf8(Version().GetProductName()), true)) return;
        splash->SetBarColor(kSearchingStripColorRef);
        m_splash = std::move(splash);
    }
    if (!m_splash || attempts <= 0) return;
    // The strip runs through each wait, so that the user sees the search go on.
    m_splash->RunProgress(attempt * 100 / attempts, std::min(attempt + 1, attempts) * 100 / attempts,
                          static_cast<int>(Varnet::DeviceSearchIntervalMs / 1000));
}

std::unique_ptr<Platform::SingleInstance> TakeSingleInstanceLock(const std::string& commandLine) {
    auto instance = std::make_unique<Platform::SingleInstance>(kSingleInstanceName);
    if (instance->TryBecomeFirst()) return instance;
    if (!instance->Error().empty()) {
        std::fprintf(stderr, "varnet-updater: cannot make sure that no other varnet-updater runs (%s); ending\n",
                     instance->Error().c_str());
    } else if (!instance->SendToFirst(commandLine)) {
        std::fprintf(stderr,
                     "varnet-updater: another varnet-updater is running and cannot take this start "
                     "yet; ending without touching the device\n");
    }
    return nullptr;
}

template <class App>
bool MFCFrameworkApp<App>::InitApplication() {
    if (!m_instance) {
        m_instance = TakeSingleInstanceLock(Platform::HostCommandLine());
        if (!m_instance) return false;
    }
    try {
        ShowSplash();
        m_language = Platform::GetUserLanguageId();
        m_factory = MakeRC<LControlFactory>(Version().GetProductName());
        // The skins and string tables live in the program's own resources ("::").
        const ORVRESULT loaded = m_factory->LoadDefinitions(W("::"), m_language);
        if (Failed(loaded))
            ThrowFailedResult(loaded, "Orv::MFCFrameworkApp<class LApplication>::InitApplication", __FILE__, 163);
        m_frameworkStrings = m_factory->GetFrameworkStringTable();
        return true;
    } catch (const std::exception& e) {
        CloseSplash();
        DebugTracer::Instance().TraceLine(0, "%s", e.what());
        ShowStartupError();
        return false;
    }
}

template <class App>
void MFCFrameworkApp<App>::ShowStartupError() {
    String text = W("The application encountered problems during startup and will now close.");
    String caption = W("Error");
    if (m_frameworkStrings) {
        m_frameworkStrings->GetString(W("STARTUP_ERROR"), text);
        m_frameworkStrings->GetString(W("STARTUP_ERROR_CAPTION"), caption);
    }
    Platform::ShowStopMessageBox(Utf16ToUtf8(text), Utf16ToUtf8(caption));
}

template <class App>
bool MFCFrameworkApp<App>::InitInstance() {
    DebugTracer& tracer = DebugTracer::Instance();
    switch (ApplyDebugConsoleOption(Platform::HostCommandLine(), tracer)) {
    case DebugConsoleOption::Console:
        tracer.TraceLine(0, "app: option -DEBUG_CONSOLE -> trace on standard error");
        break;
    case DebugConsoleOption::Network:
        // A port that names no listener leaves tracing off: nothing is said.
        if (tracer.GetPort() < 1 || tracer.GetPort() > 65535) break;
        tracer.TraceLine(0, "app: option -DEBUG_CONSOLE -> trace as UDP to %s:%d",
                         tracer.GetHost().empty() ? "this computer" : tracer.GetHost().c_str(), tracer.GetPort());
        break;
    default:
        break;
    }
    return true;
}

template <class App>
int MFCFrameworkApp<App>::Run() {
    LNotification::SetPoolingEnabled(true);
    const String commandLine(Utf8ToUtf16(Platform::HostCommandLine()));
    String ignored;
    const bool silent = GetCommandLineOption(commandLine, u"-SILENT", ignored);
    // A run that may show a window shows its device search once the device was not there at the
    // first look (a device that is there is found at once and needs no splash), and lets the user
    // cancel it. A silent run stays unseen.
    if (!silent) {
        m_searchCancel = MakeRC<LEvent>();
        m_environment.search = {m_searchCancel,
                                [this](int attempt, int attempts) { OnSearchMissed(attempt, attempts); }};
    }
    RCPtr<App>& application = TheApplication();
    application = MakeRC<App>(commandLine, m_environment, m_factory);
    application->SetExitHandler([this] { PostQuit(0); });
    Platform::SignalThread::Update([&] {
        m_signalPolicy.application = application.Get();
        m_signalPolicy.silent = silent;
    });
    Platform::SignalThread::SetPolicy(&m_signalPolicy);

    // A run that will show its window opens the display now, so that a missing one is told at
    // once, not after the device search. A silent run, and one that may end quietly when no
    // update is needed, must not depend on a display.
    std::string displayError;
    if (!silent && !GetCommandLineOption(commandLine, u"-SILENT_IF_UPDATE_NOT_NEEDED", ignored) &&
        !Platform::HostApp::EnsureVideo(&displayError)) {
        std::fprintf(stderr, "varnet-updater: cannot open the display (%s); ending\n", displayError.c_str());
        EndWithoutWindow(application);
        return 1;
    }

    application->OnCommandLineBeforeInit(commandLine);
    const ORVRESULT result = application->InitializeApplication();
    if (IsQuietExitCode(result)) {
        // Done (or nothing to do) without a window: end without a word.
        CloseSplash();
    } else {
        if (Failed(result)) {
            CloseSplash();
            Platform::SignalThread::Update([this] { m_signalPolicy.application = nullptr; });
            application->Shutdown();
            application = nullptr;
            ThrowFailedResult(result, "Orv::MFCFrameworkApp<class LApplication>::Run", __FILE__, 370);
        }
        application->OnCommandLineAfterInit(commandLine);
        if (!Platform::HostApp::EnsureVideo(&displayError)) {
            std::fprintf(stderr, "varnet-updater: cannot open the display (%s); ending\n", displayError.c_str());
            EndWithoutWindow(application);
            return 1;
        }
        // The main window with its main control, shown centred and painted at once.
        OSWindow window(*m_environment.clock);
        std::string error;
        RCPtr<LControl> content = window.CreateWithContent(*m_factory, application->GetMainControlName(),
                                                           application->GetCompanyName(), &error, kSingleInstanceName);
        if (!content) {
            CloseSplash();
            std::fprintf(stderr, "varnet-updater: %s\n", error.c_str());
            Platform::SignalThread::Update([this] { m_signalPolicy.application = nullptr; });
            application->Shutdown();
            application = nullptr;
            ThrowFailedResult(E_FAIL, "Orv::MFCFrameworkApp<class LApplication>::Run", __FILE__,
                              window.IsCreated() ? 352 : 351);
        }
        // Labels that size to their text are laid out again now that the window can measure it.
        content->LayoutChildren();
        window.GetRootWindow()->SetToolTipControl(m_factory->CreateControl(W("toolTip"), nullptr));
        window.Show();
        window.PaintNow();
        CloseSplash();
        // Start-up measurements wait for this line: the first frame is on the screen.
        if (std::getenv("VARNET_REPORT_FIRST_FRAME") != nullptr) {
            std::fputs("varnet-updater: first frame painted\n", stdout);
            std::fflush(stdout);
        }
        if (m_instance && m_instance->IsFirst()) {
            OSWindow* shown = &window;
            m_instance->StartListening({[shown] { shown->BringToFront(); },
                                        [](const std::string& forwarded) {
                                            if (RCPtr<App>& running = TheApplication())
                                                running->OnSecondInstanceCommandLine(String(Utf8ToUtf16(forwarded)));
                                        }},
                                       [this](std::function<void()> fn) { RunOnUiThread(std::move(fn)); });
        }
        // The loop sleeps while nothing happens; a queued notification wakes it for delivery.
        LNotificationQueue::SetPostHook([](void* app) { static_cast<MFCFrameworkApp*>(app)->WakeForIdle(); }, this);
        m_mainWindow = &window;
        RunMessageLoop();
        m_mainWindow = nullptr;
        LNotificationQueue::SetPostHook(nullptr, nullptr);
        if (m_instance) m_instance->StopListening();
        content = nullptr;
        window.Destroy();
    }

    Platform::SignalThread::Update([this] { m_signalPolicy.application = nullptr; });
    application->Shutdown();
    application = nullptr;
    CloseSplash();
    LNotification::SetPoolingEnabled(false);
    return 1;
}

template <class App>
void MFCFrameworkApp<App>::EndWithoutWindow(RCPtr<App>& application) {
    Platform::SignalThread::Update([this] { m_signalPolicy.application = nullptr; });
    CloseSplash();
    application->Shutdown();
    application = nullptr;
    m_instance.reset();  // the next start may run at once
    LNotification::SetPoolingEnabled(false);
}

template <class App>
bool MFCFrameworkApp<App>::SignalPolicy::IsBusy() {
    return application != nullptr && application->IsUpdateRunning();
}

template <class App>
void MFCFrameworkApp<App>::SignalPolicy::OnHeld(int signal) {
    std::fprintf(stderr,
                 "varnet-updater: %s received during the update; the update goes on and the program "
                 "stops when it is over\n",
                 Platform::SignalThread::Name(signal));
    std::fflush(stderr);
    // The window answers it as it answers a refused close: the exit request is refused while the
    // device is being programmed, and the refusal shows the "please wait" notice.
    if (!silent && m_host.IsRunning()) {
        MFCFrameworkApp* host = &m_host;
        (void)m_host.RunOnUiThread([host] { host->OnSystemQuit(); });
    }
}

template <class App>
void MFCFrameworkApp<App>::SignalPolicy::OnHeldSignalDue(int) {
    // A silent run ends by itself once its update is over; a window's loop is told to end.
    if (!silent) m_host.PostQuit(0);
}

template <class App>
bool MFCFrameworkApp<App>::SignalPolicy::OnSignal(int signal) {
    // An interrupt or terminate signal to a program with a running loop is an exit request like
    // any other (the application decides); everything else takes its default action.
    if ((signal == SIGINT || signal == SIGTERM) && m_host.IsRunning()) {
        MFCFrameworkApp* host = &m_host;
        return m_host.RunOnUiThread([host] { host->OnSystemQuit(); });
    }
    return false;
}

template <class App>
void MFCFrameworkApp<App>::OnSystemQuit() {
    RCPtr<App>& application = TheApplication();
    RCPtr<LNotificationCenter> center = application ? application->GetApplicationCenter() : nullptr;
    RCPtr<LNotification> request = center ? LNotification::Create(NID_APP_EXIT_REQ) : nullptr;
    if (!request) {
        PostQuit(0);
        return;
    }
    center->Post(request.Get());
}

template <class App>
bool MFCFrameworkApp<App>::OnIdle(long count) {
    RCPtr<App>& application = TheApplication();
    if (!application) return false;
    // A window destroyed by another program: nothing is left to show, so the program ends as a
    // closed window would, once no upload runs.
    if (m_mainWindow && !m_windowLostQuit && m_mainWindow->IsLost() && application->CanExit()) {
        m_windowLostQuit = true;
        PostQuit(0);
    }
    if (application->IsIdleSuspended()) return false;
    const bool moreQueued = application->ProcessNotifications(count == 0);
    return moreQueued && count < 2;
}

template class MFCFrameworkApp<LApplication>;

}  // namespace Orv
