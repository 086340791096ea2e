#pragma once
// The host side of the application: start-up hooks and the run cycle with its quiet exits.
#include <memory>
#include <string>

#include "Application/Application.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Platform/HostApp.h"
#include "OrvFramework/Platform/SingleInstance.h"

namespace Orv {

// The one process-wide application object; null outside Run.
RCPtr<LApplication>& TheApplication();

template <class App>
class MFCFrameworkApp : public Platform::HostApp {
public:
    explicit MFCFrameworkApp(UpdateEnvironment environment) : m_environment(std::move(environment)) {}

    bool InitApplication() override;
    bool InitInstance() override;
    int Run() override;
    bool OnIdle(long count) override;

    RCPtr<LControlFactory> GetControlFactory() const { return m_factory; }

private:
    void ShowStartupError();

    UpdateEnvironment m_environment;
    RCPtr<LControlFactory> m_factory;
    ConstRCPtr<LStringTable> m_frameworkStrings;
    std::uint32_t m_language = 0x0409;
    std::unique_ptr<Platform::SingleInstance> m_instance;
};

extern template class MFCFrameworkApp<LApplication>;

}  // namespace Orv
