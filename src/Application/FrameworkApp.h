#pragma once
// The host side of the application: start-up hooks and the run cycle with its quiet exits.
#include <memory>
#include <optional>
#include <string>

#include "Application/Application.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Platform/HostApp.h"
#include "OrvFramework/Platform/SingleInstance.h"
#include "OrvFramework/System/SplashWindow.h"

namespace Orv {

// The one process-wide application object; null outside Run.
RCPtr<LApplication>& TheApplication();

// The splash picture of a program whose resource folder is `folder`: folder + "/Splash.png" when
// that names an existing file that is not a folder, else none.
std::optional<std::string> GetSplashImagePath(const String& folder);

template <class App>
class MFCFrameworkApp : public Platform::HostApp {
public:
    explicit MFCFrameworkApp(UpdateEnvironment environment) : m_environment(std::move(environment)) {}

    bool InitApplication() override;
    bool InitInstance() override;
    int Run() override;
    bool OnIdle(long count) override;
    // A quit from the system (an interrupt or terminate signal) is an exit request like any other:
    // refused while the device is being programmed.
    void OnSystemQuit() override;

    RCPtr<LControlFactory> GetControlFactory() const { return m_factory; }

private:
    void ShowStartupError();
    void ShowSplash();
    void CloseSplash();

    UpdateEnvironment m_environment;
    RCPtr<LControlFactory> m_factory;
    ConstRCPtr<LStringTable> m_frameworkStrings;
    std::uint32_t m_language = 0x0409;
    std::unique_ptr<Platform::SingleInstance> m_instance;
    std::unique_ptr<SplashWindow> m_splash;
};

extern template class MFCFrameworkApp<LApplication>;

}  // namespace Orv
